// A command class's parameters as XML attributes, described once: each
// attribute's name, the field that holds it and the form it takes in the
// file. The shared walks below declare the attribute list of the DTD, write
// the attributes, read them back and copy them from one command to another.
// What a class does beyond that (file names kept relative to the project,
// memory buffers, analysis items) stays with the class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

enum class AttributeForm {
    kDecimal,       // 32-bit, "%ld"
    kHex,           // 32-bit, "0x%08lX"
    kMilliseconds,  // 32-bit "%ld", read as a time of at most an hour
    kMillivolts,    // 32-bit "%ld", read as a supply of at most 3600 mV
    kWordDecimal,   // 16-bit, "%d"
    kWordHex,       // 16-bit, "0x%04X"
    kInt,           // int, "%d"
    kLong,          // int, written "%ld", read "%d"
    kBool,          // "TRUE"/"FALSE" through the shared TRUE/FALSE map
    kText,          // the text as it stands
    kKeyword,       // the keyword of a named map
};

// How a keyword is read: through the map's attribute reader (a bad keyword
// names the attribute), or as a text parsed by the map at once or after
// every other attribute has been read.
enum class KeywordRead { kThroughMap, kParseNow, kParseLast };
// The width the keyword's value is written and parsed with.
enum class KeywordWidth { kDword, kWord, kLong };

// The keyword map of an entry: the function that returns it. An entry gives
// one by naming the function; whether it did is known as the table is built,
// without comparing a function's address with null (which a compiler that
// keeps null checks will not do in a constant expression).
struct KeywordMap {
    CMapParameterXML& (*get)() = nullptr;
    bool given = false;

    constexpr KeywordMap() = default;
    // Not explicit: an entry writes `.map = &Class::Map`.
    constexpr KeywordMap(CMapParameterXML& (*map)()) : get(map), given(true) {}
    KeywordMap(std::nullptr_t) = delete;

    CMapParameterXML& operator()() const { return get(); }
};

namespace attribute_detail {

// Whether an entry names exactly the field its form reads and writes: the
// walks below follow the form to one member pointer, so an entry that gives
// another one (or none) would read through a null member pointer; and a
// keyword is read and written only through its map.
constexpr bool SlotAgrees(AttributeForm form, bool dword, bool word, bool number, bool text,
                          bool map) {
    if (int{dword} + int{word} + int{number} + int{text} != 1) return false;
    if (form == AttributeForm::kKeyword && !map) return false;
    switch (form) {
        case AttributeForm::kDecimal:
        case AttributeForm::kHex:
        case AttributeForm::kMilliseconds:
        case AttributeForm::kMillivolts:
            return dword;
        case AttributeForm::kWordDecimal:  // a 16-bit value may sit in a wider field
            return !text;
        case AttributeForm::kWordHex:
            return word;
        case AttributeForm::kInt:
        case AttributeForm::kLong:
        case AttributeForm::kBool:
            return number;
        case AttributeForm::kText:
            return text;
        case AttributeForm::kKeyword:
            return !text;
    }
    return false;
}

// Stops the compiler at a table entry whose form and field disagree: a
// throw is no constant expression, and every table is constexpr.
constexpr bool RequireSlotAgrees(bool agrees) {
    if (!agrees) throw "attribute entry: the form and the member slot or map disagree";
    return true;
}

}  // namespace attribute_detail

template <class T>
struct CommandAttribute {
    const char* name;
    AttributeForm form;
    // The field, by its type.
    std::uint32_t T::*dword = nullptr;
    std::uint16_t T::*word = nullptr;
    int T::*number = nullptr;
    std::string T::*text = nullptr;
    // Keywords: the map, its width and how it is read. A text with a map is
    // declared with the map's keywords and kept as the text it was.
    KeywordMap map = {};
    KeywordWidth width = KeywordWidth::kDword;
    KeywordRead read = KeywordRead::kThroughMap;
    // Declared as a choice of the numbers 0 to `choicesUpTo` (breakpoint
    // numbers), or as CDATA whatever the form (a flag the file has always
    // declared so).
    int choicesUpTo = -1;
    bool declaredCdata = false;
    // Checked as the table is built; never set by an entry.
    bool slotChecked = attribute_detail::RequireSlotAgrees(attribute_detail::SlotAgrees(
        form, dword != nullptr, word != nullptr, number != nullptr, text != nullptr, map.given));
};

namespace attribute_detail {

template <class T>
std::uint32_t NumberValue(const CommandAttribute<T>& a, const T& command) {
    if (a.dword != nullptr) return command.*a.dword;
    if (a.word != nullptr) return command.*a.word;
    return static_cast<std::uint32_t>(command.*a.number);
}

template <class T>
void StoreNumber(const CommandAttribute<T>& a, T& command, std::uint32_t value) {
    if (a.dword != nullptr) {
        command.*a.dword = value;
    } else if (a.word != nullptr) {
        command.*a.word = static_cast<std::uint16_t>(value);
    } else {
        command.*a.number = static_cast<int>(value);
    }
}

// Parses a keyword text by the attribute's width: a keyword, or a number a
// keyword has. On failure the map's text with the attribute's place.
template <class T>
int ParseKeywordValue(const CommandAttribute<T>& a, std::int32_t element, const std::string& text,
                      std::uint32_t& value, std::string& error) {
    CMapParameterXML& map = a.map();
    int ok = 0;
    if (a.width == KeywordWidth::kLong) {
        std::int32_t number = 0;
        ok = map.ParseNamedLONG(text, &number);
        value = static_cast<std::uint32_t>(number);
    } else if (a.width == KeywordWidth::kWord) {
        std::uint16_t word = 0;
        ok = map.ParseNamedWORD(text, &word);
        value = word;
    } else {
        ok = map.ParseNamedDWORD(text, &value);
    }
    if (!ok) error = map.TakeError(element, a.name);
    return ok;
}

template <class T>
int ParseKeyword(const CommandAttribute<T>& a, std::int32_t element, T& command,
                 const std::string& text, std::string& error) {
    std::uint32_t value = 0;
    if (!ParseKeywordValue(a, element, text, value, error)) return 0;
    StoreNumber(a, command, value);
    return 1;
}

template <class T>
int ReadKeywordThroughMap(const CommandAttribute<T>& a, std::int32_t element, T& command,
                          std::string& error) {
    CMapParameterXML& map = a.map();
    std::uint32_t value = 0;
    int ok = 0;
    if (a.width == KeywordWidth::kLong) {
        std::int32_t number = 0;
        ok = map.ReadNamedAttributeLONG(element, a.name, &number);
        value = static_cast<std::uint32_t>(number);
    } else if (a.width == KeywordWidth::kWord) {
        std::uint16_t word = 0;
        ok = map.ReadNamedAttributeWORD(element, a.name, &word);
        value = word;
    } else {
        ok = map.ReadNamedAttributeDWORD(element, a.name, &value);
    }
    if (!ok) {
        error = map.TakeError();
        return 0;
    }
    StoreNumber(a, command, value);
    return 1;
}

// Reads one attribute into the command; a keyword read last leaves its text
// in `later`.
template <class T>
int ReadOne(const CommandAttribute<T>& a, std::int32_t element, T& command, std::string& later,
            std::string& error) {
    switch (a.form) {
        case AttributeForm::kDecimal:
            return ReadXmlDword(element, a.name, command.*a.dword, error);
        case AttributeForm::kHex:
            return ReadXmlDwordHex(element, a.name, command.*a.dword, error);
        case AttributeForm::kMilliseconds:
            return ReadXmlMilliseconds(element, a.name, command.*a.dword, error);
        case AttributeForm::kMillivolts:
            return ReadXmlMillivolts(element, a.name, command.*a.dword, error);
        case AttributeForm::kWordDecimal: {
            // A 16-bit value may sit in a 32-bit field.
            std::uint16_t value = 0;
            if (!ReadXmlWord(element, a.name, value, error)) return 0;
            StoreNumber(a, command, value);
            return 1;
        }
        case AttributeForm::kWordHex:
            return ReadXmlWordHex(element, a.name, command.*a.word, error);
        case AttributeForm::kInt:
        case AttributeForm::kLong: {
            int value = 0;
            if (!ReadXmlInt(element, a.name, value, error)) return 0;
            // A choice of numbers takes only the numbers it declares.
            if (a.choicesUpTo >= 0 && (value < 0 || value > a.choicesUpTo)) {
                std::string text;
                GetXmlAttribute(element, a.name, text, error);
                error = std::string("Unable to use ") + a.name + " value " + Quoted(text) +
                        ": it must lie between 0 and " + std::to_string(a.choicesUpTo) + " " +
                        ElementPlace(element);
                return 0;
            }
            command.*a.number = value;
            return 1;
        }
        case AttributeForm::kBool: {
            CMapParameterXML& booleans = CProjectTreeItem::GetBooleanMap();
            if (booleans.ReadNamedAttributeBOOL(element, a.name, &(command.*a.number))) return 1;
            error = booleans.TakeError();
            return 0;
        }
        case AttributeForm::kText:
            return GetXmlAttribute(element, a.name, command.*a.text, error);
        case AttributeForm::kKeyword:
            break;
    }
    if (a.read == KeywordRead::kThroughMap)
        return ReadKeywordThroughMap(a, element, command, error);
    std::string text;
    if (!GetXmlAttribute(element, a.name, text, error)) return 0;
    if (a.read == KeywordRead::kParseLast) {
        later = std::move(text);
        return 1;
    }
    return ParseKeyword(a, element, command, text, error);
}

}  // namespace attribute_detail

// Reads a keyword attribute as its text, for a class that parses the text
// itself later: a text the attribute's map would refuse is refused here, with
// the attribute's place.
template <class T>
int ReadKeywordText(const CommandAttribute<T>& a, std::int32_t element, std::string& text,
                    std::string& error) {
    std::uint32_t value = 0;
    return GetXmlAttribute(element, a.name, text, error) &&
           attribute_detail::ParseKeywordValue(a, element, text, value, error);
}

// The attribute lines of the class's ATTLIST, every one #REQUIRED.
template <class T>
int DeclareCommandAttributes(CStdioXMLFile& file, std::span<const CommandAttribute<T>> attributes) {
    for (const CommandAttribute<T>& a : attributes) {
        int ok = 0;
        if (a.choicesUpTo >= 0) {
            ok = file.DeclareEnumAttribute(a.name, 0, a.choicesUpTo, true);
        } else if (a.declaredCdata) {
            ok = file.DeclareCdataAttribute(a.name, true);
        } else if (a.form == AttributeForm::kBool) {
            ok = file.DeclareBoolAttribute(a.name, true);
        } else if (a.map.given) {
            ok = file.DeclareMapAttribute(a.name, a.map(), true);
        } else {
            ok = file.DeclareCdataAttribute(a.name, true);
        }
        if (!ok) return 0;
    }
    return 1;
}

// Writes the attributes one per line in table order; the writer's text on
// the first that cannot be written (a value without keyword, a text the file
// cannot hold).
template <class T>
int WriteCommandAttributes(CStdioXMLFile& file, const std::type_identity_t<T>& command,
                           std::span<const CommandAttribute<T>> attributes, std::string& error) {
    for (const CommandAttribute<T>& a : attributes) {
        int ok = 0;
        switch (a.form) {
            case AttributeForm::kDecimal:
            case AttributeForm::kMilliseconds:
            case AttributeForm::kMillivolts:
                ok = file.WriteDwordDecimalAttribute(a.name, command.*a.dword, true);
                break;
            case AttributeForm::kHex:
                ok = file.WriteDwordAttribute(a.name, command.*a.dword, true);
                break;
            case AttributeForm::kWordDecimal:
                ok = file.WriteWordDecimalAttribute(
                    a.name, attribute_detail::NumberValue(a, command), true);
                break;
            case AttributeForm::kWordHex:
                ok = file.WriteWordAttribute(a.name, command.*a.word, true);
                break;
            case AttributeForm::kInt:
                ok = file.WriteIntAttribute(a.name, command.*a.number, true);
                break;
            case AttributeForm::kLong:
                ok = file.WriteLongAttribute(a.name, command.*a.number, true);
                break;
            case AttributeForm::kBool:
                ok = file.WriteBoolAttribute(a.name, command.*a.number, true);
                break;
            case AttributeForm::kText:
                ok = file.WriteAttribute(a.name, command.*a.text, true);
                break;
            case AttributeForm::kKeyword: {
                const std::uint32_t value = attribute_detail::NumberValue(a, command);
                if (a.width == KeywordWidth::kLong)
                    ok = file.WriteLongMapAttribute(a.name, static_cast<std::int32_t>(value),
                                                    a.map(), true);
                else if (a.width == KeywordWidth::kWord)
                    ok = file.WriteWordMapAttribute(a.name, value, a.map(), true);
                else
                    ok = file.WriteDwordMapAttribute(a.name, value, a.map(), true);
                break;
            }
        }
        if (!ok) {
            error = file.TakeError();
            return 0;
        }
    }
    return 1;
}

// Copies every described field.
template <class T>
void CopyCommandAttributes(const std::type_identity_t<T>& from, std::type_identity_t<T>& to,
                           std::span<const CommandAttribute<T>> attributes) {
    for (const CommandAttribute<T>& a : attributes) {
        if (a.dword != nullptr) to.*a.dword = from.*a.dword;
        if (a.word != nullptr) to.*a.word = from.*a.word;
        if (a.number != nullptr) to.*a.number = from.*a.number;
        if (a.text != nullptr) to.*a.text = from.*a.text;
    }
}

// Reads the attributes in table order, keywords read last after all others,
// into `values`: a command that takes them only when every one was read.
// The reading function's or map's text on the first that fails.
template <class T>
int ReadCommandAttributes(std::int32_t element, std::type_identity_t<T>& values,
                          std::span<const CommandAttribute<T>> attributes, std::string& error) {
    std::vector<std::string> later(attributes.size());
    for (std::size_t i = 0; i < attributes.size(); ++i)
        if (!attribute_detail::ReadOne(attributes[i], element, values, later[i], error)) return 0;
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const CommandAttribute<T>& a = attributes[i];
        if (a.form == AttributeForm::kKeyword && a.read == KeywordRead::kParseLast &&
            !attribute_detail::ParseKeyword(a, element, values, later[i], error))
            return 0;
    }
    return 1;
}

}  // namespace kv
