// Every page the window shows, at the window's own size: each control lies
// inside the pane, covers no other control and shows its whole text.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "main_frame.h"
#include "project_tree_ctrl.h"
#include "properties_pane.h"
#include "view_kelvane.h"
#include "window_program_support.h"

namespace kv::ui::testing {
namespace {

QString Describe(QWidget* widget) {
    return QStringLiteral("%1 '%2'")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
}

// Parts of a control (a scroll area's viewport and scroll bars, a combo's
// view, a spin box's field) follow the control.
bool IsPartOfControl(QWidget* widget, QWidget* page) {
    for (QWidget* parent = widget->parentWidget(); parent != nullptr && parent != page;
         parent = parent->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(parent) != nullptr ||
            qobject_cast<QComboBox*>(parent) != nullptr ||
            qobject_cast<QAbstractSpinBox*>(parent) != nullptr)
            return true;
    }
    return false;
}

QRect PlaceOn(QWidget* page, QWidget* widget) {
    return QRect(widget->mapTo(page, QPoint(0, 0)), widget->size());
}

// What does not fit on the page, one line each.
std::string Misfits(QWidget* page) {
    std::ostringstream out;
    const QRect area = page->rect();
    std::vector<QWidget*> controls;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(page) || IsPartOfControl(widget, page)) continue;
        const QRect place = PlaceOn(page, widget);
        if (!area.contains(place))
            out << Describe(widget).toStdString() << " lies outside the page\n";
        for (QWidget* other : controls) {
            if (!other->isAncestorOf(widget) && !widget->isAncestorOf(other) &&
                PlaceOn(page, other).intersects(place))
                out << Describe(widget).toStdString() << " covers " << Describe(other).toStdString()
                    << "\n";
        }
        controls.push_back(widget);
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QString shown = label->text();
            shown.remove(QLatin1Char('&'));  // a mnemonic's mark is not drawn
            const bool cut = label->wordWrap()
                                 ? label->heightForWidth(label->width()) > label->height()
                                 : metrics.horizontalAdvance(shown) > label->contentsRect().width();
            if (!shown.isEmpty() && cut)
                out << "label '" << label->text().toStdString() << "' is cut\n";
        } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
            // The text and a little of the button's frame on either side.
            if (metrics.horizontalAdvance(push->text()) + metrics.averageCharWidth() > push->width())
                out << "button '" << push->text().toStdString() << "' is cut\n";
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // A check box's text beside its box.
            if (!button->text().isEmpty() && button->sizeHint().width() > button->width())
                out << "button '" << button->text().toStdString() << "' is cut\n";
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            // A field's own margins and frame take about a character.
            if (metrics.horizontalAdvance(line->text()) + metrics.averageCharWidth() > line->width())
                out << "field text '" << line->text().toStdString() << "' is cut\n";
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i) {
                if (metrics.horizontalAdvance(combo->itemText(i)) + 3 * metrics.averageCharWidth() >
                    combo->width())
                    out << "list entry '" << combo->itemText(i).toStdString() << "' is cut\n";
            }
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            if (!text->isReadOnly() && text->viewport()->height() < 2 * metrics.lineSpacing())
                out << "text box " << Describe(widget).toStdString()
                    << " shows less than two lines\n";
            // A help text is read, not scrolled: all of it shows.
            if (text->isReadOnly() && text->verticalScrollBar()->maximum() > 0)
                out << "the text of " << Describe(widget).toStdString() << " is cut\n";
        }
    }
    return out.str();
}

using PageFitTest = WindowProgramTest;

// The pod commands that have no page of their own.
const std::set<std::string> kWithoutPage = {"Dravik_Configure", "Dravik_ConfigFuse",
                                            "Dravik_State"};

TEST_F(PageFitTest, EveryPageFitsTheWindowAtItsOwnSize) {
    Start(MakeProject("Board"));
    Frame()->show();
    const QSize windowSize = Frame()->size();
    int checked = 0;
    // The root entries: processor, project name and project VCC.
    for (int i = 0; i < View()->GetTree()->topLevelItemCount() - 1; ++i) {
        View()->GetTree()->setCurrentItem(View()->GetTree()->topLevelItem(i));
        QApplication::processEvents();
        QWidget* page = ShownPage();
        ASSERT_NE(page, nullptr) << "root entry " << i;
        EXPECT_EQ(Misfits(page), "") << "root entry " << i;
        ++checked;
    }
    // One command of every class, and the analysis item an analysis brings.
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    ASSERT_NE(prototypes, nullptr);
    std::vector<std::string> elements;
    for (int i = 0; i < prototypes->GetSize(); ++i)
        elements.push_back(prototypes->GetAt(i)->GetElementName());
    for (const std::string& element : elements) {
        CProjectTreeItem* command = AddCommand(element);
        ASSERT_NE(command, nullptr) << element;
        QWidget* page = ShownPage();
        if (kWithoutPage.count(element) != 0) {
            EXPECT_EQ(page, nullptr) << element;
            continue;
        }
        ASSERT_NE(page, nullptr) << element << " shows no page";
        EXPECT_EQ(Misfits(page), "") << element;
        ++checked;
        if (CProjectTreeItem* child = command->GetFirstChildItem()) {
            Select(child);
            page = ShownPage();
            ASSERT_NE(page, nullptr) << element << " child";
            EXPECT_EQ(Misfits(page), "") << element << " child";
            ++checked;
            // The densest page, as the window draws it.
            if (element == "AnalyzeResults") {
                EXPECT_TRUE(page->grab().save(
                    QStringLiteral(KELVANE_SCREENSHOT_DIR "/kelvane_analysis_item_page.png")));
            }
        }
    }
    EXPECT_GT(checked, 40);
    // Showing the pages never stretched the fixed window.
    EXPECT_EQ(Frame()->size(), windowSize);
}

}  // namespace
}  // namespace kv::ui::testing
