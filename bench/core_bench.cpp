// The configuration core's own cost per action, against the in-process simulated chip.
#include <benchmark/benchmark.h>

#include <memory>

#include "chip_model.h"
#include "config_sequence.h"
#include "form_values.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

MemoryForm TypicalForm() {
    MemoryForm form;
    FillDefaults(form);
    form.boxes[FormBox::SerialEnabled] = 1;
    form.texts[FormText::Serial] = "SN000001";
    return form;
}

void GatherFormBench(benchmark::State& state) {
    MemoryForm form = TypicalForm();
    auto codePage = MakeTestCodePage(1252);
    RecordPtr record;
    for (auto _ : state) {
        GatherForm(form, *codePage, record);
        benchmark::DoNotOptimize(record.get());
    }
}
BENCHMARK(GatherFormBench)->Name("GatherForm");

void ShowRecordBench(benchmark::State& state) {
    MemoryForm form = TypicalForm();
    auto codePage = MakeTestCodePage(1252);
    RecordPtr record;
    GatherForm(form, *codePage, record);
    for (auto _ : state) {
        ShowRecord(*record, *codePage, form);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ShowRecordBench)->Name("ShowRecord");

void RecordsEqualBench(benchmark::State& state) {
    RecordPtr a = NewRecord();
    RecordPtr b = NewRecord();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RecordsEqual(*a, *b));
    }
}
BENCHMARK(RecordsEqualBench)->Name("RecordsEqual");

// The chip model behind the port seam with nothing recorded on the side, so only the core's
// own work and the model's are measured.
class ModelPort : public BytePort {
public:
    ModelPort() { ChipInit(&chip_, 0x5B); }
    bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override {
        *written = count;
        return ChipWrite(&chip_, bytes, count) != 0;
    }
    bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override {
        *read = count == 1 && ChipTakeReply(&chip_, dest) ? 1 : 0;
        return true;
    }

private:
    ChipModel chip_;
};

void ReadConfigBench(benchmark::State& state) {
    auto port = std::make_unique<ModelPort>();
    for (auto _ : state) {
        RecordPtr record = NewRecord();
        ReadConfig(*port, *record);
        benchmark::DoNotOptimize(record.get());
    }
}
BENCHMARK(ReadConfigBench)->Name("ReadConfig");

}  // namespace

BENCHMARK_MAIN();
