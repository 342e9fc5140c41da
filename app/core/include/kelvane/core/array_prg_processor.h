// The processor list: every CPrgProcessor of "ProcessorList.xml", read once at
// start-up into one process-wide table that projects look processors up in by
// name.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/prg_processor.h"

namespace kv {

class CMapParameterXML;

class CArrayPrgProcessor {
  public:
    CArrayPrgProcessor() = default;
    CArrayPrgProcessor(const CArrayPrgProcessor&) = delete;
    CArrayPrgProcessor& operator=(const CArrayPrgProcessor&) = delete;
    virtual ~CArrayPrgProcessor() = default;

    // Reads a list file into the table (which should be empty).
    int LoadFile(const std::string& path);

    std::size_t GetSize() const { return processors_.size(); }
    CPrgProcessor* GetAt(std::size_t index) const;
    // The first record whose name equals the text exactly; nullptr when none.
    CPrgProcessor* FindByName(const std::string& name) const;
    void Add(std::unique_ptr<CPrgProcessor> processor);
    void RemoveAll() { processors_.clear(); }

    const std::string& GetLastError() const { return error_; }

  private:
    int ReadRoot();

    std::vector<std::unique_ptr<CPrgProcessor>> processors_;
    std::string error_ = "No error";
};

// A drop-down list of processors; the user interface implements it.
class ProcessorComboBox {
  public:
    virtual ~ProcessorComboBox() = default;
    virtual void ResetContent() = 0;
    // Appends a row; its index, or a negative number when it cannot be added.
    virtual int AddString(const std::string& text) = 0;
    virtual void SetItemData(int row, const CPrgProcessor* processor) = 0;
    virtual void SetCurSel(int row) = 0;
};

// Frees any old table and loads the list file. On failure the table is freed,
// "Could not load processor table from <path>\n<error>" goes to `error` when
// given, else into a message box, and 0 is returned.
int LoadProcessorTable(const std::string& path, std::string* error = nullptr);
void DestroyProcessorTable();
CArrayPrgProcessor* GetProcessorTable();
// A processor of the table by exact name; nullptr when none or no table.
CPrgProcessor* FindProcessorByName(const std::string& name);
// Every name of the table in order with its record, or "No processors loaded"
// without one; selects the first row.
void FillComboBox(const CArrayPrgProcessor* table, ProcessorComboBox* combo);

// The maps the list is read with: the configuration mode and value keywords
// (kept from the last load, nullptr before), and the process-wide boolean and
// emulation-level maps.
CMapParameterXML* GetConfigureModeMap();
CMapParameterXML& GetProcessorBooleanMap();
CMapParameterXML& GetEmulationLevelMap();

}  // namespace kv
