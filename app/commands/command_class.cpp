#include "kelvane/commands/command_class.h"

#include <variant>

namespace kv {

namespace {

int WrongArgument(std::size_t index, const char* className, std::string& error) {
    error = "Missing or wrong parameter " + std::to_string(index + 1) + " for " + className +
            "::Create";
    return 0;
}

}  // namespace

int CommandNumberArgument(const CommandArguments& args, std::size_t index, const char* className,
                          std::uint32_t& out, std::string& error) {
    if (index >= args.size()) return WrongArgument(index, className, error);
    const auto* number = std::get_if<std::uint32_t>(&args[index]);
    if (number == nullptr) return WrongArgument(index, className, error);
    out = *number;
    return 1;
}

int CommandTextArgument(const CommandArguments& args, std::size_t index, const char* className,
                        std::string& out, std::string& error) {
    if (index >= args.size()) return WrongArgument(index, className, error);
    // A number where a text belongs means the caller's arguments are out of
    // step with the class's parameters.
    const auto* text = std::get_if<std::string>(&args[index]);
    if (text == nullptr) return WrongArgument(index, className, error);
    out = *text;
    return 1;
}

int DeclareEmptyCommandElement(CStdioXMLFile& file, const std::string& name) {
    if (file.IsElementDeclared(name)) return 1;
    return file.DeclareEmptyElement(name);
}

}  // namespace kv
