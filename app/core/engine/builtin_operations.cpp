// The built-in one-shot operations behind the immediate commands, and the read
// operations that run with the user's file and range.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "kelvane/core/command_factory.h"
#include "kelvane/core/command_roles.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"

namespace kv {

namespace {

using Operation = std::unique_ptr<CPrgOperation>;

struct BuiltIns {
    Operation massErase;
    Operation resetPod, resetAdapter;
    Operation powerOffPod, powerOffAdapter;
    Operation blowFuse;
    Operation readProcessorPod, readProcessorAdapter;
    Operation readRangePod, readRangeAdapter;
};

BuiltIns& Ops() {
    static BuiltIns ops;
    return ops;
}

std::uint32_t ProjectVcc(ProjectAccess* project) {
    return project != nullptr ? project->GetVcc() : 0;
}

CProjectTreeItem* Last(CPrgOperation& operation) {
    CArrayProjectTreeItem& commands = operation.GetCommands();
    return commands.GetAt(commands.GetSize() - 1);
}

// Builds an operation with the steps; nullptr when one fails.
template <class Build>
Operation Make(ProjectAccess* project, const char* name, Build build) {
    auto operation = std::make_unique<CPrgOperation>(project, name);
    if (!build(*operation, &operation->GetCommands())) return nullptr;
    return operation;
}

// Open with the project VCC and Identify, the pod's usual first two steps.
bool OpenAndIdentify(ProjectAccess* project, CArrayProjectTreeItem* list, std::string& error) {
    return AppendOpenCommand(error, list, ProjectVcc(project)) &&
           AppendIdentifyCommand(error, list, 1);
}

// The pod variant of a read built-in: Open (default), Identify, the read
// command (default), Close; Open and read are remembered.
Operation MakePodRead(ProjectAccess* project, const char* name, const char* read,
                      std::string& error) {
    return Make(project, name, [&](CPrgOperation& op, CArrayProjectTreeItem* list) {
        if (!AppendDefaultCommand(error, list, "Dravik_Open")) return false;
        CProjectTreeItem* open = Last(op);
        if (auto* vcc = dynamic_cast<VccCommand*>(open); vcc != nullptr && project != nullptr)
            vcc->SetVccParameter(project->GetVcc());
        if (!AppendIdentifyCommand(error, list, 1) || !AppendDefaultCommand(error, list, read))
            return false;
        op.RememberReadCommands(open, Last(op));
        return AppendCloseCommand(error, list, 1) != 0;
    });
}

Operation MakeAdapterRead(ProjectAccess* project, const char* name, const char* read,
                          std::string& error) {
    return Make(project, name, [&](CPrgOperation& op, CArrayProjectTreeItem* list) {
        if (!AppendDefaultCommand(error, list, "Tovrin_SeizeTarget") ||
            !AppendDefaultCommand(error, list, "Tovrin_ResendPassword") ||
            !AppendDefaultCommand(error, list, read))
            return false;
        op.RememberReadCommands(nullptr, Last(op));
        return AppendDefaultCommand(error, list, "Tovrin_PowerOff") != 0;
    });
}

// Installs both variants, or neither.
int Install(Operation& podSlot, Operation& adapterSlot, Operation pod, Operation adapter) {
    if (pod == nullptr || adapter == nullptr) return 0;
    podSlot = std::move(pod);
    adapterSlot = std::move(adapter);
    return 1;
}

}  // namespace

int CreateMassEraseNowOperation(ProjectAccess* project, std::string& error) {
    Ops().massErase.reset();
    Ops().massErase =
        Make(project, "Mass Erase Now", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
            return OpenAndIdentify(project, list, error) &&
                   AppendEraseCommand(error, list, "ERASE_ALL", 0x1000, 1) &&
                   AppendCloseCommand(error, list, 1);
        });
    return Ops().massErase != nullptr;
}

int CreateResetNowOperations(ProjectAccess* project, std::string& error) {
    DestroyResetNowOperations();
    Operation pod = Make(project, "Reset Now", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
        return OpenAndIdentify(project, list, error) &&
               AppendResetCommand(error, list, "PUC_RESET", 1, 1) &&
               AppendCloseCommand(error, list, 0);
    });
    if (pod == nullptr) return 0;
    Operation adapter =
        Make(project, "Reset Now (BSL)", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
            return AppendDefaultCommand(error, list, "Tovrin_ResetTarget");
        });
    return Install(Ops().resetPod, Ops().resetAdapter, std::move(pod), std::move(adapter));
}

int CreatePowerOffNowOperations(ProjectAccess* project, std::string& error) {
    DestroyPowerOffNowOperations();
    Operation pod =
        Make(project, "Power Off Now", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
            return AppendVccCommand(error, list, 0);
        });
    if (pod == nullptr) return 0;
    Operation adapter =
        Make(project, "Power Off Now (BSL)", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
            return AppendDefaultCommand(error, list, "Tovrin_PowerOff");
        });
    return Install(Ops().powerOffPod, Ops().powerOffAdapter, std::move(pod), std::move(adapter));
}

int CreateBlowFuseNowOperation(ProjectAccess* project, std::string& error) {
    Ops().blowFuse.reset();
    Ops().blowFuse =
        Make(project, "Blow Fuse Now", [&](CPrgOperation&, CArrayProjectTreeItem* list) {
            return OpenAndIdentify(project, list, error) && AppendBlowFuseCommand(error, list) &&
                   AppendCloseCommand(error, list, 1);
        });
    return Ops().blowFuse != nullptr;
}

int CreateReadProcessorNowOperations(ProjectAccess* project, std::string& error) {
    DestroyReadProcessorNowOperations();
    Operation pod = MakePodRead(project, "Read Processor Now", "Dravik_ReadProcessorToFile", error);
    if (pod == nullptr) return 0;
    return Install(
        Ops().readProcessorPod, Ops().readProcessorAdapter, std::move(pod),
        MakeAdapterRead(project, "Read Processor Now", "Tovrin_ReadProcessorToFile", error));
}

int CreateReadRangeNowOperations(ProjectAccess* project, std::string& error) {
    DestroyReadRangeNowOperations();
    Operation pod = MakePodRead(project, "Read Range Now", "Dravik_ReadRangeToFile", error);
    if (pod == nullptr) return 0;
    return Install(Ops().readRangePod, Ops().readRangeAdapter, std::move(pod),
                   MakeAdapterRead(project, "Read Range Now", "Tovrin_ReadRangeToFile", error));
}

int CreateBuiltInOperations(ProjectAccess* project, std::string& error) {
    // Each is built on its own: one that cannot be built never takes the
    // others, least of all the power-off that follows a failed run, with it.
    using Creator = int (*)(ProjectAccess*, std::string&);
    const Creator creators[] = {CreatePowerOffNowOperations,      CreateMassEraseNowOperation,
                                CreateResetNowOperations,         CreateBlowFuseNowOperation,
                                CreateReadProcessorNowOperations, CreateReadRangeNowOperations};
    int all = 1;
    for (Creator create : creators) {
        std::string failure;
        if (create(project, failure)) continue;
        if (all) error = failure;
        all = 0;
    }
    return all;
}

void DestroyMassEraseNowOperation() {
    Ops().massErase.reset();
}

void DestroyResetNowOperations() {
    Ops().resetPod.reset();
    Ops().resetAdapter.reset();
}

void DestroyPowerOffNowOperations() {
    Ops().powerOffPod.reset();
    Ops().powerOffAdapter.reset();
}

void DestroyBlowFuseNowOperation() {
    Ops().blowFuse.reset();
}

void DestroyReadProcessorNowOperations() {
    Ops().readProcessorPod.reset();
    Ops().readProcessorAdapter.reset();
}

void DestroyReadRangeNowOperations() {
    Ops().readRangePod.reset();
    Ops().readRangeAdapter.reset();
}

void DestroyBuiltInOperations() {
    DestroyMassEraseNowOperation();
    DestroyResetNowOperations();
    DestroyPowerOffNowOperations();
    DestroyBlowFuseNowOperation();
    DestroyReadProcessorNowOperations();
    DestroyReadRangeNowOperations();
}

CPrgOperation* GetMassEraseNowOperation() {
    return Ops().massErase.get();
}

CPrgOperation* GetBlowFuseNowOperation() {
    return Ops().blowFuse.get();
}

CPrgOperation* GetResetNowOperation() {
    return GetPodInUse() ? Ops().resetPod.get() : Ops().resetAdapter.get();
}

CPrgOperation* GetPowerOffNowOperation() {
    return GetPodInUse() ? Ops().powerOffPod.get() : Ops().powerOffAdapter.get();
}

std::vector<CPrgOperation*> GetPowerOffAfterFailureOperations(const CExecuteParams& params) {
    // A run that opened both devices leaves neither target powered.
    std::vector<CPrgOperation*> operations;
    if (params.GetDravik() != nullptr) operations.push_back(Ops().powerOffPod.get());
    if (params.GetTovrin() != nullptr) operations.push_back(Ops().powerOffAdapter.get());
    if (operations.empty()) operations.push_back(GetPowerOffNowOperation());
    return operations;
}

CPrgOperation* GetReadProcessorNowOperation() {
    return GetPodInUse() ? Ops().readProcessorPod.get() : Ops().readProcessorAdapter.get();
}

CPrgOperation* GetReadRangeNowOperation() {
    return GetPodInUse() ? Ops().readRangePod.get() : Ops().readRangeAdapter.get();
}

int PropagateVccToBuiltIns(std::uint32_t vcc, std::string& error) {
    CPrgOperation* operations[] = {Ops().massErase.get(),        Ops().resetPod.get(),
                                   Ops().powerOffPod.get(),      Ops().blowFuse.get(),
                                   Ops().readProcessorPod.get(), Ops().readRangePod.get()};
    for (CPrgOperation* operation : operations) {
        if (operation != nullptr && !operation->PropagateVCC(vcc)) {
            error = operation->TakeError();
            return 0;
        }
    }
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    if (prototypes != nullptr && !prototypes->PropagateVCC(vcc)) {
        error = prototypes->TakeError();
        return 0;
    }
    return 1;
}

int CPrgOperation::ExecuteReadProcessor(CExecuteParams* params, const std::string& fileName,
                                        int fileType, std::string& error) {
    CPrgOperation* operation = GetReadProcessorNowOperation();
    if (operation == nullptr) {
        error = "Cannot execute NULL read processor operation";
        return 0;
    }
    int ok = operation->ExecuteRead(params, fileName, fileType, false, 0, 0, "processor");
    if (!ok) error = operation->TakeError();
    return ok;
}

int CPrgOperation::ExecuteReadRange(CExecuteParams* params, const std::string& fileName,
                                    int fileType, std::uint32_t address, std::uint32_t length,
                                    std::string& error) {
    CPrgOperation* operation = GetReadRangeNowOperation();
    if (operation == nullptr) {
        error = "Cannot execute NULL read range operation";
        return 0;
    }
    int ok = operation->ExecuteRead(params, fileName, fileType, true, address, length, "range");
    if (!ok) error = operation->TakeError();
    return ok;
}

int CPrgOperation::ExecuteRead(CExecuteParams* params, const std::string& fileName, int fileType,
                               bool range, std::uint32_t address, std::uint32_t length,
                               const char* what) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    if (range) {
        const std::string past = RangePastTheEnd(params->GetProcessor(), address, length);
        if (!past.empty()) return Fail(past);
    }
    const std::string kind = what;
    auto* read = dynamic_cast<ReadToFileCommand*>(readCommand_);
    if (read == nullptr) return Fail("Cannot execute NULL read " + kind + " command");
    bool podVariant = GetPodInUse() != 0;
    if (podVariant) {
        auto* open = dynamic_cast<VccCommand*>(openCommand_);
        if (open == nullptr) return Fail("Cannot execute NULL read " + kind + " open command");
        if (project_ == nullptr) return Fail("Cannot set VCC from NULL project");
        if (!open->SetVccParameter(project_->GetVcc())) return Fail(openCommand_->TakeError());
    } else if (!range && params->GetProcessor() == nullptr) {
        return Fail("Cannot execute read processor command with NULL processor");
    }
    if (!read->SetReadFile(fileName, fileType)) return Fail(readCommand_->TakeError());
    if (range) {
        if (!read->SetReadRange(address, length)) return Fail(readCommand_->TakeError());
        params->BeginProgress(GetProgressAggregate());
    } else if (!podVariant) {
        int units = read->GetProcessorReadUnits(params->GetProcessor());
        if (units == 0) return Fail(readCommand_->TakeError());
        params->BeginProgress(GetProgressAggregate() - readCommand_->GetProgressAggregate() +
                              units);
    }
    return Execute(params);
}

}  // namespace kv
