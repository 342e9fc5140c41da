// Keyword maps: the table behind every enumerated command parameter. A file
// stores the keyword, the property pages show the display text, the program
// works with the value. Entries keep the order they were added in, and every
// lookup takes the first match in that order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/combo_box.h"
#include "kelvane/core/parameter_xml.h"

namespace kv {

class CMapParameterXML {
  public:
    CMapParameterXML() = default;
    CMapParameterXML(const CMapParameterXML&) = delete;
    CMapParameterXML& operator=(const CMapParameterXML&) = delete;
    virtual ~CMapParameterXML() = default;

    void Add(const std::string& keyword, const std::string& displayText, std::uint32_t value);
    // The value cut to its low 16 bits.
    void AddWord(const std::string& keyword, const std::string& displayText, std::uint32_t value);
    void AddDword(const std::string& keyword, const std::string& displayText, std::uint32_t value);
    // The keyword is also the display text.
    void AddKeyword(const std::string& keyword, std::uint32_t value);
    // "TRUE" = 1, then "FALSE" = 0.
    void AddBoolean();
    void RemoveAll();

    std::size_t GetSize() const { return entries_.size(); }
    const CParameterXML* GetAt(std::size_t index) const;
    // Exact, case-sensitive; nullptr when no entry has the keyword.
    const CParameterXML* FindByKeyword(const std::string& keyword) const;
    const CParameterXML* FindByValue(std::uint32_t value) const;

    // All keywords joined by "|" in entry order; empty for an empty map.
    int BuildAttList(std::string* out);

    // Text to value: a keyword first, then a number. DWORD and WORD take
    // "0x"/"0X" hexadecimal (at least four characters) or decimal; LONG and
    // BOOL take decimal. BOOL is 1 for any nonzero value.
    int ParseDWORD(const std::string& text, std::uint32_t* out);
    int ParseWORD(const std::string& text, std::uint16_t* out);
    int ParseLONG(const std::string& text, std::int32_t* out);
    int ParseBOOL(const std::string& text, int* out);

    // The same for a value that must stand for a keyword: a number is taken
    // only when an entry has it, since no other value could be written back.
    // Refused: "Unable to convert <text> to <type>" with the reason "no
    // keyword has this value".
    int ParseNamedDWORD(const std::string& text, std::uint32_t* out);
    int ParseNamedWORD(const std::string& text, std::uint16_t* out);
    int ParseNamedLONG(const std::string& text, std::int32_t* out);
    int ParseNamedBOOL(const std::string& text, int* out);

    // Reads an attribute of an XML element and parses it as above. A failure
    // names the attribute, the element and the keywords: "<parse text>
    // (<attribute>)[: <why>] (element <name> on line <n>); expected one of
    // <keyword>, <keyword>".
    int ReadAttributeDWORD(std::int32_t element, const std::string& name, std::uint32_t* out);
    int ReadAttributeWORD(std::int32_t element, const std::string& name, std::uint16_t* out);
    int ReadAttributeLONG(std::int32_t element, const std::string& name, std::int32_t* out);
    int ReadAttributeBOOL(std::int32_t element, const std::string& name, int* out);
    // The same for a value the program writes back (a project's): a keyword
    // or a number an entry has.
    int ReadNamedAttributeDWORD(std::int32_t element, const std::string& name, std::uint32_t* out);
    int ReadNamedAttributeWORD(std::int32_t element, const std::string& name, std::uint16_t* out);
    int ReadNamedAttributeLONG(std::int32_t element, const std::string& name, std::int32_t* out);
    int ReadNamedAttributeBOOL(std::int32_t element, const std::string& name, int* out);

    // Empties the box, adds every display text in order with its entry as the
    // row's data and selects the first row.
    int FillComboBox(ComboBox* combo);

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeError();
    // The error text of a failed parse of the element's attribute, with why,
    // where and the keywords, as the attribute readers give it.
    std::string TakeError(std::int32_t element, const std::string& name);
    // The error text of a failed parse with why and the keywords, for a text
    // that comes from no file.
    std::string TakeErrorWithExpected();
    // "expected one of <keyword>, <keyword>" in entry order.
    std::string Expected() const;

  private:
    // 1 when an entry has the value; else the refusal of the text.
    int Named(const std::string& text, std::uint32_t value, const char* type);
    template <class Value, class Parse>
    int ReadAttribute(std::int32_t element, const std::string& name, Value* out, Parse parse);

    std::vector<std::unique_ptr<CParameterXML>> entries_;
    std::string error_;
    // Why the last parse refused its number ("the number does not fit in 32
    // bits", "characters follow the number"); empty when it had none.
    std::string refusal_;
};

// A number as the keyword maps read it: "0x" or "0X" and at least two more
// characters is hexadecimal, anything else decimal (so "0x5" is refused, as
// characters follow its decimal 0). `refusal` receives why a number was refused.
bool ParseHexOrDecimal(const std::string& text, std::uint32_t* value,
                       std::string* refusal = nullptr);

// The entry behind the selected row; nullptr when nothing is selected or the
// box is gone.
const CParameterXML* GetComboSelection(const ComboBox* combo);
// Selects the first row whose entry has the value (1). Otherwise selects the
// first row, if there is one, and returns 0.
int SelectComboByValue(ComboBox* combo, std::uint32_t value);

}  // namespace kv
