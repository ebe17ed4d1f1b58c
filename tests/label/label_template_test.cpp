// A label template: what it refuses, and a label whose values cannot break it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "label_template.h"

namespace {

LabelValues Board() {
    LabelValues values;
    values.serial = "ZQ000001";
    values.vid = "2E1B";
    values.pid = "6C04";
    values.product = "Bench Board";
    values.station = "st-a";
    values.port = "COM21";
    values.date = "2026-12-07";
    values.time = "15:31:44";
    values.job = "line1";
    return values;
}

std::string Filled(const std::string& text, const LabelValues& values) {
    Result<LabelTemplate> parsed = ParseLabelTemplate("t.zpl", text);
    EXPECT_TRUE(parsed) << (parsed ? "" : parsed.Err().message);
    if (!parsed) {
        return "";
    }
    Result<std::string> label = parsed->Fill(values);
    EXPECT_TRUE(label) << (label ? "" : label.Err().message);
    return label ? *label : "";
}

TEST(LabelTemplate, RefusesWhatIsNotALabelOrCouldLetAValueBreakOne) {
    struct Case {
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {"", "line 1: is not a ZPL label: it does not begin with ^XA"},
        {"hello ^XA^FDx^FS^XZ", "line 1: is not a ZPL label: it does not begin with ^XA"},
        {"^XA\n^FDx^FS\n", "line 2: is not a ZPL label: it does not end with ^XZ"},
        {"^XA\n^FD{serial} {lot}^FS^XZ",
         "line 2: {lot} is not a placeholder; the placeholders "
         "are {serial} {vid} {pid} {product}"},
        {"^XA^FO{port},10^FDx^FS^XZ", "line 1: {port} stands outside a field's data"},
        {"^XA^FDa^FS\n{serial}^XZ", "line 2: {serial} stands outside a field's data"},
        {"^XA\n^CI0\n^FD{serial}^FS^XZ",
         "line 2: the label must be read as UTF-8 (^CI28), not "
         "^CI0"},
        {"^XA^CC+^FD{serial}^FS^XZ", "^CC changes the characters that begin commands"},
        {"^XA\n^FO1,1^BCN,80,Y,N,N^FD{serial}^FS^XZ",
         "line 2: a value in a Code 128 field needs its automatic mode"},
        {"^XA^FD\xC3(^FS^XZ", "is not UTF-8 text"},
    };
    for (const Case& c : cases) {
        Result<LabelTemplate> parsed = ParseLabelTemplate("shift.zpl", c.text);
        ASSERT_FALSE(parsed) << c.text;
        EXPECT_EQ(parsed.Err().message.rfind("label template shift.zpl: ", 0), 0u)
            << parsed.Err().message;
        EXPECT_NE(parsed.Err().message.find(c.why), std::string::npos) << c.text << "\n"
                                                                       << parsed.Err().message;
    }
    // What stays allowed: braces that name nothing, the template's own ^CI28, a Code 128 field
    // in automatic mode, and a mode-N Code 128 field that holds no value.
    EXPECT_TRUE(ParseLabelTemplate("ok.zpl", "^XA^CI28^FD{1} {}^FS^BCN,9,N,N,N^FDABC^FS^XZ"));
    EXPECT_TRUE(ParseLabelTemplate("ok.zpl", "\xEF\xBB\xBF ^XA^BCN,9,N,N,N,A^FD{serial}^FS^XZ\n"));
}

TEST(LabelTemplate, EveryValueIsEscapedForItsFieldAndTheLabelIsUtf8) {
    LabelValues values = Board();
    values.serial = "A^B~C_D>";
    values.product = "板^~_😀";
    values.station = "x\ny";
    // A field without ^FH gets one, and its own "_" is written as the escape; a field with its
    // own escape character keeps its text; a value outside any field ends nowhere.
    const std::string text =
        "^XA\n"
        "^FO10,10^A0N,40^FDS/N_{serial}^FS\n"
        "^FO10,60^FH\\^FD{product}_\\7E {station}^FS\n"
        "^FO10,90^BCN,80,Y,N,N,A^FD{serial}^FS\n"
        "^XZ\n";
    EXPECT_EQ(Filled(text, values),
              "^XA^CI28\n"
              "^FO10,10^A0N,40^FH_^FDS/N_5FA_5EB_7EC_5FD>^FS\n"
              "^FO10,60^FH\\^FD板\\5E\\7E_😀_\\7E x\\0Ay^FS\n"
              "^FO10,90^BCN,80,Y,N,N,A^FH_^FDA_5EB_7EC_5FD>^FS\n"
              "^XZ\n");
    // Every placeholder names its own value; ^FV fields are filled as ^FD fields are.
    EXPECT_EQ(Filled("^XA^FD{serial}|{vid}|{pid}|{product}|{station}|{port}^FS"
                     "^FV{date}|{time}|{job}^FS^XZ",
                     Board()),
              "^XA^CI28^FH_^FDZQ000001|2E1B|6C04|Bench Board|st-a|COM21^FS"
              "^FH_^FV2026-12-07|15:31:44|line1^FS^XZ");
}

TEST(LabelTemplate, AValueThatIsNotUtf8IsRefusedNotPrinted) {
    Result<LabelTemplate> parsed = ParseLabelTemplate("t.zpl", "^XA^FD{product}^FS^XZ");
    ASSERT_TRUE(parsed);
    LabelValues values = Board();
    values.product = "\xFF";
    Result<std::string> label = parsed->Fill(values);
    ASSERT_FALSE(label);
    EXPECT_NE(label.Err().message.find("is not UTF-8 text"), std::string::npos);
}

TEST(LabelTemplate, LoadsAFileAndNamesOneItCannotRead) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "zq_label_load";
    std::filesystem::create_directories(folder);
    // Paths are UTF-8 to the core, whatever the system's code page.
    std::u8string utf8 = (folder / u8"标签.zpl").u8string();
    std::string path(utf8.begin(), utf8.end());
    std::ofstream(folder / u8"标签.zpl", std::ios::binary)
        << "\xEF\xBB\xBF^XA\r\n^BCN,9,N,N,N,A\r\n^FD{serial}^FS\r\n^XZ\r\n";
    Result<LabelTemplate> loaded = LoadLabelTemplate(path);
    ASSERT_TRUE(loaded) << loaded.Err().message;
    // Saved by Notepad: a byte order mark and CRLF line ends.
    EXPECT_EQ(*loaded->Fill(Board()),
              "^XA^CI28\r\n^BCN,9,N,N,N,A\r\n^FH_^FDZQ000001^FS\r\n^XZ\r\n");

    Result<LabelTemplate> missing = LoadLabelTemplate((folder / "none.zpl").string());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.Err().message.find("none.zpl: cannot be read: "), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
