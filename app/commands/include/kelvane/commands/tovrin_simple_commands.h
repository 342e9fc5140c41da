// The adapter commands with at most two plain parameters: seize the target,
// mass erase, reset, power off, load PC, lock or unlock segment A, erase a
// range of segments, and resend the last password.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_tovrin.h"

namespace kv {

class CStdioXMLFile;

// A command without parameters: one wrapper call between its status text and
// the progress step.
template <class Derived>
class CCommandTovrin_Plain : public CCommandTovrin {
  public:
    CCommandTovrin_Plain() : CCommandTovrin(Page()) {
        Describe(Derived::kElementName, Derived::kDisplayName, Derived::kDescription,
                 Derived::kImage);
    }
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CProjectTreeItem* CreateFromArguments(std::string& /*error*/,
                                                 const CommandArguments& /*args*/) {
        return new Derived;
    }
    static CProjectTreeItem* CreateDefault(std::string& /*error*/) { return new Derived; }
    static CommandPage& Page() {
        static CommandPage page(Derived::kElementName);
        return page;
    }
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    CProjectTreeItem* CreateNew() override { return new Derived; }
    int OnExecute(CExecuteParams* params) override;
};

class CCommandTovrin_SeizeTarget : public CCommandTovrin_Plain<CCommandTovrin_SeizeTarget> {
  public:
    static constexpr const char* kElementName = "Tovrin_SeizeTarget";
    static constexpr const char* kDisplayName = "Seize Target (BSL)";
    static constexpr const char* kDescription = "Seize target device via Tovrin";
    static constexpr int kImage = 44;
    static constexpr const char* kStatus = "Seizing target";
    static int Call(CCommandTovrin_SeizeTarget* self, CExecuteParams* params, CTovrin* adapter);
};

class CCommandTovrin_MassErase : public CCommandTovrin_Plain<CCommandTovrin_MassErase> {
  public:
    static constexpr const char* kElementName = "Tovrin_MassErase";
    static constexpr const char* kDisplayName = "Mass Erase (BSL)";
    static constexpr const char* kDescription = "Mass erase via Tovrin";
    static constexpr int kImage = 9;
    static constexpr const char* kStatus = "Mass erasing target";
    static int Call(CCommandTovrin_MassErase* self, CExecuteParams* params, CTovrin* adapter);
};

class CCommandTovrin_ResetTarget : public CCommandTovrin_Plain<CCommandTovrin_ResetTarget> {
  public:
    static constexpr const char* kElementName = "Tovrin_ResetTarget";
    static constexpr const char* kDisplayName = "Reset Target (BSL)";
    static constexpr const char* kDescription = "Reset target device via Tovrin";
    static constexpr int kImage = 45;
    static constexpr const char* kStatus = "Resetting target";
    static int Call(CCommandTovrin_ResetTarget* self, CExecuteParams* params, CTovrin* adapter);
};

class CCommandTovrin_PowerOff : public CCommandTovrin_Plain<CCommandTovrin_PowerOff> {
  public:
    static constexpr const char* kElementName = "Tovrin_PowerOff";
    static constexpr const char* kDisplayName = "Power Off (BSL)";
    static constexpr const char* kDescription = "Power down target device via Tovrin";
    static constexpr int kImage = 7;
    static constexpr const char* kStatus = "Powering down target";
    static int Call(CCommandTovrin_PowerOff* self, CExecuteParams* params, CTovrin* adapter);
};

class CCommandTovrin_ResendPassword : public CCommandTovrin_Plain<CCommandTovrin_ResendPassword> {
  public:
    static constexpr const char* kElementName = "Tovrin_ResendPassword";
    static constexpr const char* kDisplayName = "Resend Password (BSL)";
    static constexpr const char* kDescription = "Resend most recent password via Tovrin";
    static constexpr int kImage = 32;
    static constexpr const char* kStatus = "Resending password";
    // Sends the kept password. One the program does not know (no Set Password
    // gave it, no mass erase made it the erased chip's) is sent only when the
    // user agrees, in the question below or before the run.
    static int Call(CCommandTovrin_ResendPassword* self, CExecuteParams* params, CTovrin* adapter);
    // Asks whether to send the erased chip's password to a target whose
    // password is not known (Yes/No, No the default); true on Yes.
    static bool AskToSendUnknownPassword();
};

class CCommandTovrin_LoadPC : public CCommandTovrin {
  public:
    static constexpr const char* kElementName = "Tovrin_LoadPC";
    CCommandTovrin_LoadPC();
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_LoadPC>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(std::uint32_t value);
    std::uint32_t GetValue() const { return dwValue; }
    void SetValue(std::uint32_t value);

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override;
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint32_t dwValue = 0x0300;
};

class CCommandTovrin_LockA : public CCommandTovrin {
  public:
    static constexpr const char* kElementName = "Tovrin_LockA";
    CCommandTovrin_LockA();
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_LockA>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(int lockFlashA);
    int GetLockFlashA() const { return bLockFlashA; }
    void SetLockFlashA(int lockFlashA);

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override;
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bLockFlashA = 0;
};

class CCommandTovrin_EraseSegment : public CCommandTovrin {
  public:
    static constexpr const char* kElementName = "Tovrin_EraseSegment";
    CCommandTovrin_EraseSegment();
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_EraseSegment>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(std::uint32_t segment, std::uint32_t length);
    std::uint32_t GetSegment() const { return dwSegment; }
    std::uint32_t GetLength() const { return dwLength; }
    void SetSegment(std::uint32_t segment);
    void SetLength(std::uint32_t length);

    void UpdateLabel() override;
    int GetProgressAggregate() override;
    CProjectTreeItem* CreateNew() override;
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int EraseOne(CExecuteParams* params, CTovrin* adapter, std::uint32_t address,
                 std::uint32_t size);

    std::uint32_t dwSegment = 0;
    std::uint32_t dwLength = 2;
};

}  // namespace kv
