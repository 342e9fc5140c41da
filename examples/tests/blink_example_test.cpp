// The blink example: the shipped image is the encoder's program, and the
// project names it and the steps of a production run.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "blink_image.h"
#include "caprel/caprel.h"
#include "kelvane/asm/msp430_disasm.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/core/xml_reading.h"

namespace kv::examples {
namespace {

const std::string kDir = std::string(KELVANE_EXAMPLES_DIR) + "/blink/";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BlinkExample, TheShippedImageIsTheEncodedProgram) {
    EXPECT_EQ(Read(kDir + "blink.txt"), blinkImageText());
    CTextHexFile image(kProgramHexBuild);
    ASSERT_EQ(image.Open(kDir + "blink.txt", CHexImageFile::kModeRead), 1);
    const std::vector<std::uint16_t> words = blinkProgram();
    std::vector<std::uint8_t> code(words.size() * 2);
    ASSERT_EQ(image.ExtractBlock(code.data(), kBlinkStart, static_cast<std::uint32_t>(code.size())),
              1);
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(code[2 * i] | (code[2 * i + 1] << 8), words[i]) << i;
    std::uint8_t vector[2] = {};
    ASSERT_EQ(image.ExtractBlock(vector, kResetVector, 2), 1);
    EXPECT_EQ(vector[0] | (vector[1] << 8), static_cast<int>(kBlinkStart));
    EXPECT_EQ(image.GetTotalBytes(), code.size() + 2);
}

TEST(BlinkExample, TheProgramStopsTheWatchdogAndTogglesP1_0) {
    const std::vector<std::uint16_t> words = blinkProgram();
    std::string text;
    for (const std::string& line : kv::asm430::disassemble(words, kBlinkStart))
        text += line + "\n";
    EXPECT_NE(text.find("&0x0120"), std::string::npos) << text;
    EXPECT_NE(text.find("XOR.B"), std::string::npos) << text;
}

TEST(BlinkExample, TheProjectRunsAProductionSequenceOnTheImage) {
    ASSERT_EQ(Open_Caprel((kDir + "blink.kvnset").c_str(), 0), 1);
    const std::int32_t root = GetRootElement_Caprel();
    std::string error;
    std::string processor;
    ASSERT_TRUE(GetXmlAttribute(root, "strTargetProcessor", processor, error)) << error;
    EXPECT_EQ(processor, "MSP430F149");
    const std::int32_t list = GetFirstNamedChildElement_Caprel(root, "CommandList");
    std::vector<std::string> steps;
    for (std::int32_t c = GetFirstChildElement_Caprel(list); c != -1;
         c = GetNextChildElement_Caprel(list, c)) {
        char name[64] = {};
        std::uint32_t length = 0;
        GetElementName_Caprel(c, name, sizeof name, &length);
        steps.push_back(name);
        std::string file;
        if (GetXmlAttribute(c, "strFileName", file, error)) {
            EXPECT_EQ(file, "./blink.txt");
        }
    }
    Close_Caprel();
    EXPECT_EQ(steps, (std::vector<std::string>{"Dravik_Open", "Dravik_Identify", "Dravik_Erase",
                                               "Dravik_ProgramFile", "Dravik_VerifyFile",
                                               "Dravik_Close"}));
}

}  // namespace
}  // namespace kv::examples
