// What every property page shares: it shows the one object attached to it
// and writes each change the user makes straight into that object through the
// object's setter for that parameter. Loading the controls only displays;
// while it runs, and while no object is attached, the handlers write nothing.
// A page has no OK or Cancel: Enter and Escape never close it; they go on to
// the window the page stands in.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/tree_ui.h"

class QComboBox;
class QFormLayout;
class QPlainTextEdit;
class QPushButton;

namespace kv::ui {

class CHexNumberEdit;

// How a hexadecimal field writes back.
struct HexFieldRule {
    // Stored when the text does not parse; without one the setter is not called.
    std::optional<std::uint32_t> fallback;
    // On focus loss an edited text that parses is rewritten in canonical form.
    bool reformatOnFocusLoss = false;
    // Digit count: 0 follows the project's address width at every attach.
    int fixedDigits = 0;
};

// Paragraphs of a help text are separated by an empty line.
inline constexpr const char* kHelpParagraph = "\r\n\r\n";

class CPropertyPageBase : public QWidget, public PropertyPage {
    Q_OBJECT

  public:
    explicit CPropertyPageBase(QWidget* parent = nullptr);

    // Attaches (or with nullptr detaches) and loads the controls. An object
    // of another class than the page's is refused as a detach.
    void SetItem(CProjectTreeItem* item) override;
    CProjectTreeItem* GetItem() const override { return item_; }
    void Show(bool show) override;
    bool Attach(UiWindow* parent, const UiRect& rect) override;
    void Refresh() override;

    QString GetHelpText() const;
    QPlainTextEdit* HelpEdit() const { return help_; }

  protected:
    // Whether the page shows objects of this class.
    virtual bool Accepts(CProjectTreeItem* item) const = 0;
    // Loads every control from the attached object (never nullptr here).
    virtual void LoadControls() {}

    template <class T>
    T* Object() const {
        return dynamic_cast<T*>(item_);
    }
    // True when a handler may write into the attached object.
    bool CanWrite() const { return item_ != nullptr && !loading_; }
    bool IsLoading() const { return loading_; }

    void SetHelpText(const std::string& text);
    QFormLayout* Form() const { return form_; }
    // A hexadecimal field bound to a setter by the rule; added to the form
    // under the label.
    CHexNumberEdit* AddHexField(const QString& label, HexFieldRule rule,
                                std::function<void(std::uint32_t)> setter);
    // The same field, for a row that the page lays out itself.
    CHexNumberEdit* MakeHexField(HexFieldRule rule, std::function<void(std::uint32_t)> setter);
    // Digit counts of the fields that follow the address width, then values.
    void ShowHexField(CHexNumberEdit* edit, std::uint32_t value);
    // Runs the body with the handlers silenced.
    void Quietly(const std::function<void()>& body);

    void keyPressEvent(QKeyEvent* event) override;

  private:
    CProjectTreeItem* item_ = nullptr;
    bool loading_ = false;
    QFormLayout* form_;
    QPlainTextEdit* help_;
};

// The VCC drop-down list of the Open, VCC and project-VCC pages: 1500 to 3600
// mV in steps of 100 when the pod's supply is adjustable, else the pod's fixed
// voltage, with "Off" (0) first where asked for; millivolts as item data.
void FillVccList(QComboBox* combo, bool withOff);
// The first entry holding the value, else the last entry.
void SelectVccInList(QComboBox* combo, std::uint32_t vcc);

}  // namespace kv::ui
