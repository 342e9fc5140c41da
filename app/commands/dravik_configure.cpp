#include "kelvane/commands/dravik_configure.h"

#include <cctype>
#include <cstdlib>

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

constexpr std::int32_t kVerificationMode = 0;
constexpr std::int32_t kInterfaceMode = 8;

bool IsBlank(const char* text) {
    while (*text != '\0' && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return *text == '\0';
}

// "0x"/"0X" and hexadecimal digits (at least four characters in all), or a
// signed decimal number; nothing else may follow but white space.
bool ConvertValue(const std::string& text, std::uint32_t& value) {
    errno = 0;
    char* end = nullptr;
    if (text.size() >= 4 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text.c_str() + 2;
        if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
        unsigned long long number = std::strtoull(digits, &end, 16);
        if (errno != 0 || number > 0xFFFFFFFFull || !IsBlank(end)) return false;
        value = static_cast<std::uint32_t>(number);
        return true;
    }
    const char* start = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*start)))
        ++start;
    const char* digits = (*start == '-' || *start == '+') ? start + 1 : start;
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
    long long number = std::strtoll(start, &end, 10);
    if (errno != 0 || number < -2147483648LL || number > 0xFFFFFFFFLL || !IsBlank(end))
        return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

CCommandDravik_Configure::CCommandDravik_Configure() : CCommandDravik(nullptr) {
    elementName_ = kElementName;
    displayName_ = "Configure";
    description_ = "Configure JTAG interface";
    treeLabel_ = "Configure";
    treeImage_ = 21;
}

CMapParameterXML& CCommandDravik_Configure::GetModeMap() {
    static CMapParameterXML map;
    return map;
}

CMapParameterXML& CCommandDravik_Configure::GetInterfaceMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_Configure::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& modes = GetModeMap();
    modes.RemoveAll();
    modes.Add("VERIFICATION_MODE", "Verification Mode", 0);
    modes.Add("EMULATION_MODE", "Emulation Mode", 1);
    modes.Add("CLK_CNTRL_MODE", "Clock Control Mode", 2);
    modes.Add("MCLK_CNTRL_MODE", "MCLK Control Mode", 3);
    modes.Add("FLASH_TEST_MODE", "Flash Test Mode", 4);
    modes.Add("LOCKED_FLASH_ACCESS", "Locked Flash Access", 5);
    modes.Add("FLASH_SWOP", "Flash SWOP", 6);
    modes.Add("EDT_TRACE_MODE", "EDT Trace Mode", 7);
    modes.Add("INTERFACE_MODE", "JTAG Interface Mode", 8);
    CMapParameterXML& interfaces = GetInterfaceMap();
    interfaces.RemoveAll();
    interfaces.Add("JTAG_IF", "Original JTAG", 0);
    interfaces.Add("SPYBIWIRE_IF", "SpyBiWire", 1);
    interfaces.Add("SPYBIWIREJTAG_IF", "Four Wire JTAG", 2);
    return 1;
}

int CCommandDravik_Configure::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_Configure>> CCommandDravik_Configure::Attributes() {
    using T = CCommandDravik_Configure;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nMode", .form = AttributeForm::kText, .text = &T::strMode_, .map = &GetModeMap},
        {.name = "nValue", .form = AttributeForm::kText, .text = &T::strValue_},
    };
    return kAttributes;
}

int CCommandDravik_Configure::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

int CCommandDravik_Configure::SetParameters(const std::string& modeText,
                                            const std::string& valueText) {
    return Apply(modeText, valueText, -1);
}

int CCommandDravik_Configure::Apply(const std::string& modeText, const std::string& valueText,
                                    std::int32_t element) {
    strMode_ = modeText;
    strValue_ = valueText;
    // Read from a file, a refusal names the attribute and its place.
    auto refuse = [&](CMapParameterXML& map, const char* name) {
        return Fail(element < 0 ? map.TakeErrorWithExpected() : map.TakeError(element, name));
    };
    const char* modeName = Attributes()[0].name;
    const char* valueName = Attributes()[1].name;
    CMapParameterXML& modes = GetModeMap();
    std::int32_t mode = 0;
    if (!modes.ParseNamedLONG(modeText, &mode)) return refuse(modes, modeName);
    nMode = mode;
    nValue = 0;
    if (mode == kVerificationMode) {
        CMapParameterXML& booleans = GetBooleanMap();
        int flag = 0;
        if (!booleans.ParseNamedBOOL(valueText, &flag)) return refuse(booleans, valueName);
        nValue = flag != 0;
    } else if (mode == kInterfaceMode) {
        CMapParameterXML& interfaces = GetInterfaceMap();
        std::uint32_t value = 0;
        if (!interfaces.ParseNamedDWORD(valueText, &value)) return refuse(interfaces, valueName);
        nValue = value;
    } else {
        std::uint32_t value = 0;
        if (!ConvertValue(valueText, value)) {
            if (element < 0)
                return Fail("Unable to convert " + Quoted(valueText) + " to a DWORD value");
            return Fail(std::string("Unable to convert ") + valueName + " value " +
                        Quoted(valueText) + " to DWORD " + ElementPlace(element) +
                        "; expected a decimal number, or a hexadecimal number of at least two "
                        "digits after 0x (0x01, not 0x1)");
        }
        nValue = value;
    }
    return 1;
}

int CCommandDravik_Configure::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_Configure*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    copy->nMode = nMode;
    copy->nValue = nValue;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_Configure::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Configuring adapter");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_Configure::OnExecute");
    if (pod == nullptr) return 0;
    if (!pod->Configure(nMode, static_cast<std::int32_t>(nValue))) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_Configure::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Configure::ReadXMLParameters(std::int32_t element) {
    CCommandDravik_Configure values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    return Apply(values.strMode_, values.strValue_, element);
}

}  // namespace kv
