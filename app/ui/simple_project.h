// A project kept only in memory: the three root items and one command list.
// The window shows it until a project file is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "doc_kelvane.h"

namespace kv {
class CPrgOperation;
class CProcessorTreeItem;
class CProjectNameTreeItem;
class CProjectVccTreeItem;
}  // namespace kv

namespace kv::ui {

class CMemoryProject : public DocumentProject {
  public:
    CMemoryProject(std::string name, std::string processor, std::uint32_t vcc);
    ~CMemoryProject() override;

    std::string GetName() const override { return name_; }
    void SetName(const std::string& name) override;
    std::string GetTargetProcessorName() const override { return processor_; }
    void SetTargetProcessorName(const std::string& name) override;
    std::uint32_t GetVcc() const override { return vcc_; }
    void SetVcc(std::uint32_t vcc) override;
    CPrgOperation* GetCommandList() override;

    int PopulateTree(TreeCtrl* tree, std::string& error) override;
    CPrgProcessor* FindProcessor(std::string& error) override;

  private:
    std::string name_;
    std::string processor_;
    std::uint32_t vcc_;
    std::unique_ptr<CProcessorTreeItem> processorItem_;
    std::unique_ptr<CProjectNameTreeItem> nameItem_;
    std::unique_ptr<CProjectVccTreeItem> vccItem_;
    std::unique_ptr<CPrgOperation> commands_;
};

}  // namespace kv::ui
