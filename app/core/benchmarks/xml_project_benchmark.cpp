// Saves a project file with a long command list through the XML writer and
// reads every attribute back through the reading functions; prints the times.
#include <caprel/caprel.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "nandrel/nandrel.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Save(const std::string& path, int commands, kv::CMapParameterXML& eraseTypes) {
    kv::CStdioXMLFile file;
    if (!file.Open(path)) return false;
    file.ClearDeclarations();
    file.WriteHeader("ProjectKelvane");
    file.DeclareEmptyElement("Dravik_Erase");
    file.BeginAttlist("Dravik_Erase");
    file.DeclareMapAttribute("dwEraseType", eraseTypes, true);
    file.DeclareCdataAttribute("dwSegment", true);
    file.DeclareCdataAttribute("dwLength", true);
    file.EndAttlist();
    file.WriteText("]>\n");
    file.OpenElement("ProjectKelvane", true);
    file.EndStartTag(true);
    for (int i = 0; i < commands; ++i) {
        file.OpenElement("Dravik_Erase", true);
        file.WriteDwordMapAttribute("dwEraseType", static_cast<std::uint32_t>(i % 3), eraseTypes,
                                    true);
        file.WriteDwordAttribute("dwSegment", 0x1000u + 0x200u * static_cast<std::uint32_t>(i),
                                 true);
        file.WriteDwordDecimalAttribute("dwLength", 512, true);
        file.EndStartTag(false);
        file.CloseElement("Dravik_Erase", true);
    }
    file.CloseElement("ProjectKelvane", true);
    return file.Close() != 0;
}

bool ReadBack(int commands, kv::CMapParameterXML& eraseTypes) {
    std::string error;
    const std::int32_t root = GetRootElement_Caprel();
    int read = 0;
    for (std::int32_t e = GetFirstChildElement_Caprel(root); e != -1;
         e = GetNextChildElement_Caprel(root, e)) {
        std::uint32_t type = 0, segment = 0, length = 0;
        if (!kv::IsXmlElementNamed(e, "Dravik_Erase", error) ||
            !eraseTypes.ReadAttributeDWORD(e, "dwEraseType", &type) ||
            !kv::ReadXmlDwordHex(e, "dwSegment", segment, error) ||
            !kv::ReadXmlDword(e, "dwLength", length, error))
            return false;
        ++read;
    }
    return read == commands;
}

}  // namespace

int main() {
    kv::CMapParameterXML eraseTypes;
    eraseTypes.AddKeyword("ERASE_ALL", NANDREL_ERASE_ALL);
    eraseTypes.AddKeyword("ERASE_MAIN", NANDREL_ERASE_MAIN);
    eraseTypes.AddKeyword("ERASE_SEGMENT", NANDREL_ERASE_SEGMENT);
    const std::string path =
        (std::filesystem::temp_directory_path() / "kelvane_xml_benchmark.kvnset").string();

    for (const int commands : {100, 1000, 10000}) {
        const auto writeStart = Clock::now();
        if (!Save(path, commands, eraseTypes)) return 1;
        const double write = MillisecondsSince(writeStart);
        const auto size = std::filesystem::file_size(path);

        const auto openStart = Clock::now();
        if (!Open_Caprel(path.c_str(), 0)) return 1;
        const double open = MillisecondsSince(openStart);
        const auto readStart = Clock::now();
        if (!ReadBack(commands, eraseTypes)) return 1;
        const double read = MillisecondsSince(readStart);
        Close_Caprel();

        std::printf("%6d commands, %8ju bytes: write %8.2f ms, open %8.2f ms, read back %8.2f ms\n",
                    commands, static_cast<std::uintmax_t>(size), write, open, read);
    }
    std::filesystem::remove(path);
    return 0;
}
