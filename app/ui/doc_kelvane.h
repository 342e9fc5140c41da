// The document: a thin shell over the program's current project. It keeps
// the modified flag, the file path and the title, takes new and opened
// projects, saves them and asks before a modified project is closed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kelvane/core/project_access.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/file_stamp.h"
#include "kelvane/project/prg_project.h"

namespace kv {
class CPrgProcessor;
class TreeCtrl;
}  // namespace kv

namespace kv::ui {

// What the window needs of the project it shows beyond ProjectAccess.
class DocumentProject : public ProjectAccess {
  public:
    // Clears the tree and shows the project in it; on failure the text.
    virtual int PopulateTree(TreeCtrl* tree, std::string& error) = 0;
    // The project's processor record; nullptr with the text.
    virtual CPrgProcessor* FindProcessor(std::string& error) = 0;
};

// The program's current project as a DocumentProject.
class CCurrentProject : public DocumentProject {
  public:
    std::string GetName() const override;
    void SetName(const std::string& name) override;
    std::string GetTargetProcessorName() const override;
    void SetTargetProcessorName(const std::string& name) override;
    std::uint32_t GetVcc() const override;
    void SetVcc(std::uint32_t vcc) override;
    CPrgOperation* GetCommandList() override;
    int PopulateTree(TreeCtrl* tree, std::string& error) override;
    CPrgProcessor* FindProcessor(std::string& error) override;
};

class CDocKelvane : public ProjectDocument {
  public:
    static constexpr const char* kDocTemplate =
        "Dravik Programmer\n\nKelvane\nKelvane Project Files (*.kvnset)\n.kvnset\n"
        "Kelvane.Project\nKelvane Project";
    static constexpr const char* kAppTitle = "Kelvane";

    // Becomes the current document and takes the project's modified marks.
    CDocKelvane();
    // Deletes the current project.
    ~CDocKelvane() override;
    CDocKelvane(const CDocKelvane&) = delete;
    CDocKelvane& operator=(const CDocKelvane&) = delete;

    // The project shown: the one set here, else the current project.
    void SetProject(DocumentProject* project) { project_ = project; }
    DocumentProject* GetProject();

    // Takes the pending new project; false without one.
    bool OnNewDocument();
    // Loads the file; a file that does not load keeps the previous project.
    // Both take a relative name against the current folder and keep the
    // file's full path.
    bool OnOpenDocument(const std::string& name);
    // The guard is the save's check of the file there (stdio_xml_file.h).
    bool OnSaveDocument(const std::string& name, const ReplaceGuard& guard = {});
    void DeleteContents();

    // Whether the document's file is no longer the one it read or saved last
    // (a station's run advanced it, an editor replaced it). A file that is
    // gone has not changed: saving puts it back.
    bool ChangedOnDisk() const;
    // Asks whether to read the changed file again; true for Yes, the default.
    bool AskReload() const;

    int IsModified() override { return modified_; }
    void SetModifiedFlag(int modified) override;
    // Asks "Save changes to %s?" when modified: 1 when the document may be
    // closed (saved or discarded).
    int SaveModified() override;

    // The path, and the title: the file title without its extension.
    void SetPathName(const std::string& path);
    const std::string& GetPathName() const { return path_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title);

    // File commands, provided by the application.
    std::function<void()> onFileNew;
    std::function<void()> onFileOpen;
    std::function<bool()> onFileSave;
    std::function<bool()> onFileSaveAs;
    // Called when the title or the modified flag changes.
    std::function<void()> onChanged;
    // Reads the document's file again and shows it, as opening it does.
    std::function<bool()> onReload;

  private:
    DocumentProject* project_ = nullptr;
    CCurrentProject current_;
    int modified_ = 0;
    std::string path_;
    std::string title_ = "Untitled";
    // The file as it was read or saved last.
    std::optional<FileStamp> diskStamp_;
};

}  // namespace kv::ui
