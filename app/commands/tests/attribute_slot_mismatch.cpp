// Built only by a test that expects the compiler to refuse it: an attribute
// table entry whose form reads one field while the entry names another, or a
// keyword entry without the map it is read and written through.
#include "kelvane/commands/command_attributes.h"

namespace {

struct Probe {
    std::uint32_t dwHex = 0;
    std::uint16_t wHex = 0;
    int nCount = 0;
    std::string strName;
    static kv::CMapParameterXML& Kinds();
};

using kv::AttributeForm;

// Forms and fields that agree.
[[maybe_unused]] constexpr kv::CommandAttribute<Probe> kAgree[] = {
    {.name = "dwHex", .form = AttributeForm::kHex, .dword = &Probe::dwHex},
    {.name = "wHex", .form = AttributeForm::kWordHex, .word = &Probe::wHex},
    {.name = "nCount", .form = AttributeForm::kLong, .number = &Probe::nCount},
    {.name = "strName", .form = AttributeForm::kText, .text = &Probe::strName},
    {.name = "wKind", .form = AttributeForm::kKeyword, .word = &Probe::wHex, .map = &Probe::Kinds},
};

#if defined(KELVANE_HEX_GIVEN_WORD)
[[maybe_unused]] constexpr kv::CommandAttribute<Probe> kDisagree[] = {
    {.name = "dwHex", .form = AttributeForm::kHex, .word = &Probe::wHex},
};
#elif defined(KELVANE_TEXT_WITHOUT_TEXT)
[[maybe_unused]] constexpr kv::CommandAttribute<Probe> kDisagree[] = {
    {.name = "strName", .form = AttributeForm::kText},
};
#elif defined(KELVANE_KEYWORD_WITHOUT_MAP)
[[maybe_unused]] constexpr kv::CommandAttribute<Probe> kDisagree[] = {
    {.name = "wKind", .form = AttributeForm::kKeyword, .word = &Probe::wHex},
};
#endif

}  // namespace
