// A value plug-in library (serializer or overlay): loaded by its file name,
// its eleven entry points bound by name, and its calls wrapped so that every
// failure leaves a text in the module.
//
// A name without a "/" is looked up in the program's directory; a name with
// one is passed to the loader as written.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace kv {

// The texts and names that differ between the serializer and overlay sides.
struct PluginKind {
    const char* prefix;               // entry-point prefix, "Serializer"
    const char* listRoot;             // "Serializers"
    const char* rootError;            // wrong root element name
    const char* noModules;            // a list without a Module
    const char* nullModuleList;       // algorithms from a NULL module
    const char* noAlgorithms;         // a module without algorithms
    const char* nullModule;           // an algorithm without its module
    const char* loadModulesError;     // "...from %s\n%s" with the list path
    const char* loadAlgorithmsError;  // "...from %s\n%s" with the library name
};

extern const PluginKind kSerializerKind;
extern const PluginKind kOverlayKind;

class CPluginModule {
  public:
    CPluginModule(const PluginKind& kind, std::string name, std::string abbrev);
    CPluginModule(const CPluginModule&) = delete;
    CPluginModule& operator=(const CPluginModule&) = delete;
    // Closes the module first.
    virtual ~CPluginModule();

    const PluginKind& GetKind() const { return kind_; }
    const std::string& GetName() const { return name_; }
    const std::string& GetAbbrev() const { return abbrev_; }
    bool IsOpen() const { return library_ != nullptr; }

    // Loads the library, binds the entry points and calls the plug-in's Open.
    int Open();
    // The plug-in's Close when bound, then releases the library.
    void Close();

    // -1 on failure.
    std::int32_t GetAlgorithmCount();
    int GetAlgorithmName(std::int32_t index, std::string& out);
    // Empty when the plug-in gives no text; never a failure.
    std::string GetInitialValueString(std::int32_t index);
    int Parse(std::int32_t index, const std::string& text);
    // 0 on failure.
    std::uint32_t GetOverlaySize(std::int32_t index);
    int Overlay(std::int32_t index, std::uint8_t* buffer, std::uint32_t size);
    int GetNextValueString(std::int32_t index, std::string& out);

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeLastError();

  private:
    struct EntryPoints {
        const char* (*GetLastError)(void) = nullptr;
        std::int32_t (*GetAlgorithmCount)(void) = nullptr;
        const char* (*GetAlgorithmName)(std::int32_t) = nullptr;
        std::int32_t (*GetAlgorithmByName)(const char*) = nullptr;
        std::int32_t (*Open)(std::uint32_t) = nullptr;
        void (*Close)(void) = nullptr;
        const char* (*GetInitialValueString)(std::int32_t) = nullptr;
        std::int32_t (*Parse)(std::int32_t, const char*) = nullptr;
        std::uint32_t (*GetOverlaySize)(std::int32_t) = nullptr;
        std::int32_t (*Overlay)(std::int32_t, std::uint8_t*, std::uint32_t) = nullptr;
        const char* (*GetNextValueString)(std::int32_t) = nullptr;
    };

    std::string FullName(const char* entryPoint) const;
    int Unbound(const char* entryPoint);
    void TakePluginError(const char* entryPoint);
    template <class Function>
    bool Bind(const char* entryPoint, Function& function);

    const PluginKind& kind_;
    std::string error_ = "No error";
    std::string name_;
    std::string abbrev_;
    void* library_ = nullptr;
    EntryPoints entry_;
};

class CSerializerModule final : public CPluginModule {
  public:
    CSerializerModule(std::string name, std::string abbrev)
        : CPluginModule(kSerializerKind, std::move(name), std::move(abbrev)) {}
};

class COverlayModule final : public CPluginModule {
  public:
    COverlayModule(std::string name, std::string abbrev)
        : CPluginModule(kOverlayKind, std::move(name), std::move(abbrev)) {}
};

}  // namespace kv
