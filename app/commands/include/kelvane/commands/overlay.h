// Overlay and Serialize: write bytes that a value plug-in renders from the
// command's next value into the target through the pod, verify them, and then
// take the plug-in's next value (and, for Serialize, count the device).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CPluginAlgorithm;

class CCommandOverlay : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Overlay";
    // The most bytes one render may produce.
    static constexpr std::uint32_t kRenderLimit = 0x40000;

    CCommandOverlay();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandOverlay>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& name, const std::string& module,
                      const std::string& algorithm, const std::string& nextValue,
                      std::uint32_t address);
    // Page setters.
    void SetNextValue(const std::string& value);
    void SetModule(const std::string& module);
    void SetAlgorithm(const std::string& algorithm);
    void SetName(const std::string& name);
    void SetAddress(std::uint32_t address);

    const std::string& GetName() const { return strName; }
    const std::string& GetModule() const { return strModule; }
    const std::string& GetAlgorithm() const { return strAlgorithm; }
    const std::string& GetNextValue() const { return strNextValue; }
    std::uint32_t GetAddress() const { return dwAddress; }
    // Active when a module or an algorithm is named.
    bool IsActive() const { return !strModule.empty() || !strAlgorithm.empty(); }

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandOverlay; }
    int CopyTo(CProjectTreeItem* item) override;
    // The pod, and for an active command a value its plug-in takes.
    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    explicit CCommandOverlay(CommandPage& page);
    // What differs between the two classes.
    struct Texts {
        const char* className;
        const char* what;       // "Overlay" or "Serializer"
        const char* lowerWhat;  // "Overlay" or "serializer"
        const char* nullArray;  // "NULL Overlay array" or "NULL serializer array"
        int addressDigits;      // of the address in the logged plan
        std::uint8_t* buffer;
    };
    virtual Texts GetTexts() const;
    // The algorithm of the class's loaded plug-ins; nullptr with the text.
    virtual CPluginAlgorithm* FindAlgorithm(bool& haveList);
    virtual std::string StatusText() const;
    // The value as the run's line shows it: the value written. An overlay's
    // plug-in gives it back as the next value once it has parsed the text
    // (the text as it stands when the plug-in cannot read it).
    virtual std::string LoggedValue();
    // After the next value was stored; `written` is the value the chip got,
    // as the run's line shows it.
    virtual void OnWritten(CExecuteParams* /*params*/, const std::string& /*written*/) {}
    // Whatever must hold before the bytes are written, beyond the value.
    virtual int CheckStep() { return 1; }
    // Every check that needs no pod: the algorithm found, the next value
    // parsed by it, its size within the render buffer, the step allowed.
    int Prepare(CPluginAlgorithm*& algorithm, std::uint32_t& size);

    std::uint32_t dwAddress = 0x1000;
    std::string strNextValue = "0";
    std::string strModule;
    std::string strName;
    std::string strAlgorithm;
};

class CCommandSerialize : public CCommandOverlay {
  public:
    static constexpr const char* kElementName = "Serialize";

    CCommandSerialize();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandSerialize>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& name, const std::string& module,
                      const std::string& algorithm, const std::string& nextValue,
                      std::uint32_t address, std::int32_t count, int countUp);
    std::int32_t GetCount() const { return nCount; }
    int GetCountUp() const { return bCountUp; }
    void SetCountUp(int countUp);
    // Stores a changed count as given (negative counts too).
    void SetCount(std::int32_t count);
    // One more (or one fewer) device written; marks the document modified.
    void StepCount();

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandSerialize; }
    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    Texts GetTexts() const override;
    CPluginAlgorithm* FindAlgorithm(bool& haveList) override;
    std::string StatusText() const override { return "Serializing"; }
    // A serial number as the chip holds it: blanks, a plus sign and leading
    // zeros are gone.
    std::string LoggedValue() override;
    void OnWritten(CExecuteParams* params, const std::string& written) override;
    // A count that cannot step without leaving the range of an int.
    int CheckStep() override;

  private:
    std::int32_t nCount = 0;
    int bCountUp = 1;
};

}  // namespace kv
