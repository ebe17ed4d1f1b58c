// A list of serials as a customer or an ERP hands it over: encodings, line ends, CSV columns and
// a header, and the refusals that keep a serial from being used twice.
#include <gtest/gtest.h>

#include "serial_list.h"

namespace {

// The single write's serial rule, as the program passes it in.
Status WriteCheck(const std::string& serial) {
    bool printable = serial.find_first_of(" \"\t") == std::string::npos;
    if (serial.size() >= 1 && serial.size() <= 8 && printable) {
        return {};
    }
    return Fail("bad " + serial);
}

// Why the list is refused; "" for a list it reads.
std::string Problem(const Result<std::vector<std::string>>& list) {
    return list ? std::string() : list.Err().message;
}

std::vector<std::string> Serials(const std::string& text) {
    Result<std::vector<std::string>> list = ReadSerialList(text, WriteCheck);
    EXPECT_EQ(Problem(list), "") << text;
    return list ? *list : std::vector<std::string>();
}

TEST(SerialList, ReadsLinesAndCsvWithOrWithoutBomHeaderAndCrlf) {
    std::vector<std::string> three = {"ZQ000001", "ZQ000002", "A,B"};
    EXPECT_EQ(Serials("ZQ000001\nZQ000002\n\"A,B\"\n"), three);
    EXPECT_EQ(Serials("\xEF\xBB\xBFZQ000001\r\nZQ000002\r\n\"A,B\"\r\n\r\n"), three);
    EXPECT_EQ(Serials("\xEF\xBB\xBFSerial Number,Board,Date\r\nZQ000001,main,2026-12-01\r\n"
                      " ZQ000002 ,io,2026-12-01\r\n\"A,B\",x,y"),
              three);
    EXPECT_EQ(Serials("serial\nZQ000001\nZQ000002\nA,B"),
              (std::vector<std::string>{"ZQ000001", "ZQ000002", "A"}));
    // A quoted line break or comma in another column belongs to its record, not to a new one.
    EXPECT_EQ(Serials("Serial,Note\r\nZQ000001,\"rev\r\nB\"\r\nZQ000002,\"a, \"\"b\"\"\n\nc\"\n"
                      "\"ZQ000003\" ,x"),
              (std::vector<std::string>{"ZQ000001", "ZQ000002", "ZQ000003"}));
    // Only the first line can be a header, and only a word naming the column.
    EXPECT_EQ(Serials("SERIAL01\nSN\n"), (std::vector<std::string>{"SERIAL01", "SN"}));
}

TEST(SerialList, RefusesTheWholeListNamingTheLine) {
    struct Case {
        const char* text;
        const char* problem;
    } cases[] = {
        {"ZQ000001\r\nZQ000002\r\nZQ000003\r\nZQ000002\r\n",
         "\"ZQ000002\" is on line 2 and again on line 4"},
        {"sn,x\nZQ1,a\n\"ZQ1\",b\n", "\"ZQ1\" is on line 2 and again on line 3"},
        {"ZQ000001\nZQ0000002\n", "line 2: bad ZQ0000002"},
        {"serial\r\n\r\n", "holds no serial"},
        // Counted in lines, not records: the duplicate's record starts on line 4.
        {"ZQ1,\"x\ny\"\nZQ2\nZQ1\n", "\"ZQ1\" is on line 1 and again on line 4"},
        {"ZQ1\nZQ2,\"rev\nB", "line 2: a quoted field is never closed"},
        {"ZQ1\n\"ZQ2\"x,y\n", "line 2: text follows a quoted field's closing quotation mark"},
        {"ZQ1\nZQ0\"01,a\n",
         "line 2: the serial ZQ0\"01 holds a quotation mark (\"); no serial does"},
        {"ZQ1\n\n\"ZQ\"\"2\"\n",
         "line 3: the serial ZQ\"2 holds a quotation mark (\"); no serial does"},
        {"", "holds no serial"},
        {"\xFF\xFEZ\0Q\0", "is UTF-16 text: save it as UTF-8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Problem(ReadSerialList(c.text, WriteCheck)), c.problem) << c.text;
    }
}

}  // namespace
