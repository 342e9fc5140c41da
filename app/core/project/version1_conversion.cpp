// Conversion of version-1 project files, which described a project as named
// operations switched by Enable flags, into command lists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "caprel/caprel.h"
#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/write_all.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ReadAll(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// Copies the file beside a temporary name and renames it into place, so an
// earlier backup is replaced only by a complete copy.
int CopyFileReplacing(const std::string& from, const std::string& to, std::string& error) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        FormatSystemError(error, errno);
        return 0;
    }
    std::string text;
    const bool read = ReadAll(in, text);
    int code = errno;
    ::close(in);
    if (!read) {
        FormatSystemError(error, code);
        return 0;
    }
    const std::string temp = to + ".tmp";
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        FormatSystemError(error, errno);
        return 0;
    }
    bool ok = kv::WriteAll(out, text.data(), text.size()) && ::fsync(out) == 0;
    code = errno;
    if (::close(out) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temp.c_str(), to.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        FormatSystemError(error, code);
        return 0;
    }
    return 1;
}

bool IsNamed(std::int32_t element, const char* name) {
    std::string error;
    return IsXmlElementNamed(element, name, error) != 0;
}

}  // namespace

int CPrgProject::MakeBackupCopy(const std::string& path, std::string& backupPath) {
    std::string full;
    GetFullPath(full, path);
    std::string folder;
    std::string error;
    if (!GetFileDirectory(folder, full, error)) return Fail(error);
    const std::string fileName = full.substr(folder.size());
    backupPath = folder + "Backup_" + fileName;
    if (!CopyFileReplacing(full, backupPath, error)) return Fail(error);
    return 1;
}

int CPrgProject::SaveOperationAsProject(const std::string& sourcePath, std::string& newPath) {
    std::string operation = Trim(legacyOperationName_);
    // Blanks become underscores; a folder separator would put the file
    // somewhere else, so it does too.
    for (char& c : operation)
        if (c == ' ' || c == '/') c = '_';
    std::string title;
    std::string folder;
    std::string error;
    if (!GetFileTitleNoExtension(sourcePath, title, error)) return Fail(error);
    if (!GetFileDirectory(folder, sourcePath, error)) return Fail(error);
    AppendBackslash(folder);
    newPath = folder + title + "_" + operation + ".kvnset";
    return Save(newPath);
}

int CPrgProject::ConvertVersion1(const std::string& path, std::int32_t root) {
    std::string backupPath;
    if (!MakeBackupCopy(path, backupPath)) return 0;
    std::string error;
    std::string legacyName;
    std::string processor;
    std::uint32_t vcc = 0;
    if (!GetXmlAttribute(root, "Name", legacyName, error) ||
        !GetXmlAttribute(root, "TargetProcessor", processor, error) ||
        !ReadXmlMillivolts(root, "VCC", vcc, error))
        return Fail(error);
    name_ = legacyName;
    targetProcessor_ = processor;
    vcc_ = vcc;

    std::int32_t first = -1;
    std::string firstExtraPath;
    // Saving the extra operations moves the current directory to the source
    // folder, as Save does for any path.
    std::string sourcePath;
    GetFullPath(sourcePath, path);
    for (std::int32_t child = GetFirstChildElement_Caprel(root); child != -1;
         child = GetNextChildElement_Caprel(root, child)) {
        if (!IsNamed(child, "PrgOperation")) continue;
        if (first == -1) {
            first = child;
            continue;
        }
        std::string operationName;
        std::string description;
        if (!LoadLegacyOperation(child, operationName, description)) return 0;
        name_ = legacyName + " " + operationName;
        std::string written;
        if (!SaveOperationAsProject(sourcePath, written)) return 0;
        if (firstExtraPath.empty()) firstExtraPath = written;
        commandList_.ClearCommands();
    }
    if (first == -1) return Fail("Did not find any PrgOperation elements");
    std::string operationName;
    std::string description;
    if (!LoadLegacyOperation(first, operationName, description)) return 0;
    name_ = legacyName + " " + operationName;
    if (!IsConsoleModeSet()) {
        std::string text =
            "A backup copy of your original file has been saved as:\n\n" + backupPath + "\n\n";
        if (!firstExtraPath.empty())
            text +=
                "Your original project contained multiple operations.  "
                "These additional operations are saved as:\n\n" +
                firstExtraPath + ", etc.";
        AppMessageBox(text, kMbOk | kMbIconInformation);
    }
    return 1;
}

int CPrgProject::LoadLegacyOperation(std::int32_t operation, std::string& name,
                                     std::string& description) {
    CPrgOperation& list = commandList_;
    CArrayProjectTreeItem* commands = &list.GetCommands();
    list.ClearCommands();
    std::string error;
    auto readFailed = [&]() {
        list.ClearCommands();
        return Fail(error);
    };
    auto createFailed = [&]() {
        list.ClearCommands();
        return Fail("Error loading operation '" + name + "'\n" + error);
    };
    if (!GetXmlAttribute(operation, "Name", name, error) ||
        !GetXmlAttribute(operation, "Description", description, error))
        return readFailed();
    list.SetOperationDescription(description);

    if (!AppendOpenCommand(error, commands, vcc_) || !AppendIdentifyCommand(error, commands, 1))
        return createFailed();

    int flag = 0;
    if (!ReadXmlBool(operation, "EnableErase", flag, error)) return readFailed();
    if (flag) {
        const std::int32_t erase = GetFirstNamedChildElement_Caprel(operation, "EraseSegment");
        if (erase == -1) {
            if (!AppendEraseCommand(error, commands, "ERASE_ALL", 0x1000, 1)) return createFailed();
        } else {
            std::string eraseType;
            if (!GetXmlAttribute(erase, "EraseType", eraseType, error)) return readFailed();
            std::string type;
            std::uint32_t address = 0x1000;
            if (eraseType == "ALL") {
                type = "ERASE_ALL";
            } else if (eraseType == "MAIN") {
                type = "ERASE_MAIN";
                CPrgProcessor* processor = FindProcessor();
                address = processor != nullptr ? processor->MainStart : 0xFE00;
            } else if (eraseType == "SEG") {
                type = "ERASE_SEGMENT";
            } else {
                list.ClearCommands();
                return Fail("Unrecognized EraseType attribute '" + eraseType + "'");
            }
            std::uint32_t segment = 0;
            if (!ReadXmlDword(erase, "EraseSeg", segment, error)) return readFailed();
            if (segment != 0) address = segment;
            if (!AppendEraseCommand(error, commands, type, address, 1)) return createFailed();
        }
    }

    if (!ReadXmlBool(operation, "EnableWriteFile", flag, error)) return readFailed();
    if (flag) {
        const std::int32_t target = GetFirstNamedChildElement_Caprel(operation, "TargetFile");
        if (target != -1) {
            std::string fileName;
            int fileType = 0;
            if (!GetXmlAttribute(target, "Name", fileName, error) ||
                !ReadXmlInt(target, "FileType", fileType, error))
                return readFailed();
            if (!AppendProgramFileCommand(error, commands, fileName,
                                          fileType == 2 ? "FILETYPE_INTEL_HEX" : "FILETYPE_TI_TXT",
                                          1))
                return createFailed();
        }
    }

    if (!ReadXmlBool(operation, "EnableOverlay", flag, error)) return readFailed();
    if (flag) {
        int expected = 0;
        if (!ReadXmlInt(operation, "MaxOverlays", expected, error)) return readFailed();
        int loaded = 0;
        for (std::int32_t overlay = GetFirstNamedChildElement_Caprel(operation, "PrgOverlay");
             overlay != -1;
             overlay = GetNextNamedChildElement_Caprel(operation, overlay, "PrgOverlay")) {
            std::string overlayName, module, algorithm, nextValue;
            std::uint32_t address = 0;
            if (!GetXmlAttribute(overlay, "Name", overlayName, error) ||
                !GetXmlAttribute(overlay, "Module", module, error) ||
                !GetXmlAttribute(overlay, "Algorithm", algorithm, error) ||
                !GetXmlAttribute(overlay, "NextValue", nextValue, error) ||
                !ReadXmlDwordHex(overlay, "Address", address, error))
                return readFailed();
            if (!AppendOverlayCommand(error, commands, overlayName, module, algorithm, nextValue,
                                      address))
                return createFailed();
            ++loaded;
        }
        if (loaded != expected) {
            list.ClearCommands();
            return Fail("Expected " + std::to_string(expected) + " overlays, loaded " +
                        std::to_string(loaded));
        }
    }

    if (!ReadXmlBool(operation, "EnableSerialize", flag, error)) return readFailed();
    if (flag) {
        const std::int32_t serializer =
            GetFirstNamedChildElement_Caprel(operation, "PrgSerializer");
        // An operation that switches serializing on without saying how
        // cannot be converted faithfully.
        if (serializer == -1) {
            list.ClearCommands();
            return Fail("Error loading operation '" + name +
                        "'\nEnableSerialize is set but no PrgSerializer element is present");
        }
        std::string module, algorithm, nextValue;
        std::uint32_t address = 0;
        int count = 0;
        int countUp = 0;
        int eraseSegment = 0;
        if (!GetXmlAttribute(serializer, "Module", module, error) ||
            !GetXmlAttribute(serializer, "Algorithm", algorithm, error) ||
            !GetXmlAttribute(serializer, "NextValue", nextValue, error) ||
            !ReadXmlDwordHex(serializer, "Address", address, error) ||
            !ReadXmlInt(serializer, "Count", count, error) ||
            !ReadXmlBool(serializer, "CountUp", countUp, error) ||
            !ReadXmlBool(serializer, "EraseSegment", eraseSegment, error))
            return readFailed();
        if (!AppendSerializeCommand(error, commands, module, algorithm, nextValue, address,
                                    static_cast<std::uint32_t>(count), countUp, eraseSegment))
            return createFailed();
    }

    int blowFuse = 0;
    if (!ReadXmlBool(operation, "EnableBlowFuse", blowFuse, error)) return readFailed();
    if (blowFuse && !AppendBlowFuseCommand(error, commands)) return createFailed();

    int vccOff = 0;
    if (!ReadXmlBool(operation, "EnableVCC_Off", vccOff, error)) return readFailed();
    if (vccOff || blowFuse) {
        if (!AppendVccCommand(error, commands, 0)) return createFailed();
    } else {
        int reset = 0;
        if (!ReadXmlBool(operation, "EnableReset", reset, error)) return readFailed();
        if (reset) {
            int release = 0;
            if (!ReadXmlBool(operation, "EnableReleaseJTAG", release, error)) return readFailed();
            std::string method = "PUC_RESET";
            const std::int32_t info = GetFirstNamedChildElement_Caprel(operation, "ResetInfo");
            if (info != -1) {
                std::string resetType;
                if (!GetXmlAttribute(info, "ResetType", resetType, error)) return readFailed();
                if (resetType == "PUC") {
                    method = "PUC_RESET";
                } else if (resetType == "RST") {
                    method = "RST_RESET";
                } else if (resetType == "VCC") {
                    method = "VCC_RESET";
                } else {
                    list.ClearCommands();
                    return Fail("Unrecognized ResetType attribute '" + resetType + "'");
                }
            }
            if (!AppendResetCommand(error, commands, method, release, release))
                return createFailed();
        }
    }
    if (!AppendCloseCommand(error, commands, vccOff)) return createFailed();
    legacyOperationName_ = name;
    return 1;
}

}  // namespace kv
