// Lock / Unlock Flash A: sets the chip's locked-flash access so that
// information segment A is kept or may be erased and written.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CCommandDravik_LockA : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_LockA";

    CCommandDravik_LockA();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_LockA>> Attributes();
    static CCommandDravik_LockA* Create(std::string& error, int lock);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_LockA* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // Stores the flag, sets image (22 lock, 23 unlock) and label.
    int SetParameters(int lock);
    int GetLockFlashA() const { return bLockFlashA; }
    // The page's setter: a changed value is stored, shown and the document
    // marked.
    void SetLockFlashA(int lock);

    void UpdateLabel() override;
    // Offered only when the current project's processor has LOCKA.
    int AddToNewItemList(NewItemList* list) override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_LockA; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    void Show();

    int bLockFlashA = 1;
};

}  // namespace kv
