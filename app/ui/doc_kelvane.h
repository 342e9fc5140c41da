// The document: a thin shell over the program's current project that keeps
// the modified flag, the file path and the title, and asks before a modified
// project is closed.
#pragma once

#include <functional>
#include <string>

#include "kelvane/core/project_access.h"

namespace kv {
class CPrgProcessor;
class TreeCtrl;
}  // namespace kv

namespace kv::ui {

// What the window needs of the current project beyond ProjectAccess.
class DocumentProject : public ProjectAccess {
  public:
    // Clears the tree and shows the project in it; on failure the text.
    virtual int PopulateTree(TreeCtrl* tree, std::string& error) = 0;
    // The project's processor record; nullptr with the text.
    virtual CPrgProcessor* FindProcessor(std::string& error) = 0;
};

class CDocKelvane {
  public:
    static constexpr const char* kDocTemplate =
        "Dravik Programmer\n\nKelvane\nKelvane Project Files (*.kvnset)\n.kvnset\n"
        "Kelvane.Project\nKelvane Project";
    static constexpr const char* kAppTitle = "Kelvane";

    // Becomes the current document and takes the project's modified marks.
    CDocKelvane();
    ~CDocKelvane();
    CDocKelvane(const CDocKelvane&) = delete;
    CDocKelvane& operator=(const CDocKelvane&) = delete;

    // The project shown; not owned.
    void SetProject(DocumentProject* project);
    DocumentProject* GetProject() const { return project_; }

    int IsModified() const { return modified_; }
    void SetModifiedFlag(int modified);
    // The path, and the title: the file title without its extension.
    void SetPathName(const std::string& path);
    const std::string& GetPathName() const { return path_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title);

    // Asks "Save changes to %s?" when modified: true when the document may
    // be closed (saved or discarded).
    bool SaveModified();

    // File commands, provided by the application.
    std::function<void()> onFileNew;
    std::function<void()> onFileOpen;
    // Saving the current project: true when it was saved.
    std::function<bool()> onFileSave;
    std::function<bool()> onFileSaveAs;
    // Called when the title or the modified flag changes.
    std::function<void()> onChanged;

    static CDocKelvane* GetCurrent();

  private:
    DocumentProject* project_ = nullptr;
    int modified_ = 0;
    std::string path_;
    std::string title_ = "Untitled";
};

// The current document's modified flag; 0 without a document.
int IsDocumentModified();

}  // namespace kv::ui
