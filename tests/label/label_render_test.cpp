// Labels read back the way a scanner reads them: the core fills a template, a real ZPL renderer
// that is not ours (Node with zpl-renderer-js, tests/label_render/) draws it as a PNG, and
// zbarimg reads its Code 128 back. scripts/install-deps.sh installs both; without them these
// tests skip and say so.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "label_template.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRenderer = ZQ_LABEL_RENDER_DIR;
const fs::path kOutput = ZQ_LABEL_OUTPUT_DIR;

std::string SkipReason() {
    if (!fs::exists(kRenderer / "node_modules" / "zpl-renderer-js")) {
        return "the renderer is not installed in " + kRenderer.string() +
               ": run scripts/install-deps.sh";
    }
    if (std::system("command -v zbarimg >/dev/null 2>&1 && command -v node >/dev/null 2>&1") != 0) {
        return "zbarimg or node is missing: run scripts/install-deps.sh";
    }
    return "";
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The labels drawn by the renderer in one run (60 x 40 mm at 8 dots per mm), and for each the
// barcodes zbarimg reads in it, one a line.
std::vector<std::string> RenderAndRead(const std::vector<std::string>& labels,
                                       const std::string& name) {
    fs::create_directories(kOutput);
    std::string render = "node " + Quoted(kRenderer / "render.mjs");
    std::vector<fs::path> pngs;
    for (size_t i = 0; i < labels.size(); i++) {
        const fs::path zpl = kOutput / (name + "-" + std::to_string(i + 1) + ".zpl");
        pngs.push_back(kOutput / (name + "-" + std::to_string(i + 1) + ".png"));
        std::ofstream(zpl, std::ios::binary) << labels[i];
        fs::remove(pngs.back());
        render += " " + Quoted(zpl) + " " + Quoted(pngs.back());
    }
    render += " 2>" + Quoted(kOutput / (name + ".log"));
    EXPECT_EQ(std::system(render.c_str()), 0) << render;
    std::vector<std::string> read;
    for (const fs::path& png : pngs) {
        // zbarimg warns about D-Bus on stderr, harmlessly.
        std::string command = "zbarimg --raw -q " + Quoted(png) + " 2>/dev/null";
        std::string barcodes;
        if (FILE* out = popen(command.c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, out) != nullptr) {
                barcodes += buffer;
            }
            pclose(out);
        }
        read.push_back(barcodes);
    }
    return read;
}

std::string Filled(const fs::path& file, const LabelValues& values) {
    Result<LabelTemplate> loaded = LoadLabelTemplate(file.string());
    EXPECT_TRUE(loaded) << loaded.Err().message;
    Result<std::string> label = loaded->Fill(values);
    EXPECT_TRUE(label) << label.Err().message;
    return *label;
}

LabelValues Board(const std::string& serial, const std::string& product) {
    LabelValues values;
    values.serial = serial;
    values.vid = "2E1B";
    values.pid = "6C04";
    values.product = product;
    values.date = "2026-12-08";
    values.time = "06:30:00";
    return values;
}

TEST(LabelRender, TheDefaultLabelsBarcodeReadsBackAsTheSerial) {
    if (std::string why = SkipReason(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    // A plain serial, and serials of the characters a serial may hold that ZPL or Code 128
    // would otherwise take for their own.
    const std::vector<std::string> serials = {"ZQ000001", "A^B~C_D>", "{}>:>5\\,"};
    std::vector<std::string> labels;
    for (const std::string& serial : serials) {
        labels.push_back(Filled(ZQ_DEFAULT_LABEL, Board(serial, "Bench Board 板 😀")));
    }
    std::vector<std::string> read = RenderAndRead(labels, "default");
    for (size_t i = 0; i < serials.size(); i++) {
        EXPECT_EQ(read[i], serials[i] + "\n");
    }
}

TEST(LabelRender, AProductWithCaretsAndTildesRendersExactly) {
    if (std::string why = SkipReason(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const std::string product = "p^q~r_s^XZ~JR";
    std::string label = Filled(kRenderer / "product_barcode.zpl", Board("ZQ000002", product));
    EXPECT_EQ(RenderAndRead({label}, "product")[0], product + "\n");
}

}  // namespace
