// The configuration text of the simulated devices, as KELVANE_USB=sim:<config>
// gives it: comma-separated items, each "key=value" or a bare "key".
//
//   pod=current|stale|old|corrupt|broken|none
//                        the Dravik pod: firmware 02.03.03, 02.01.00, 01.05.00, an
//                        image whose check fails, a flash that never verifies, or no
//                        pod at all (default: current)
//   firmware=<text>      firmware version in the pod's flash
//   hw=<letter>          hardware letter (character 5 of the version text): E, P, S ...
//   serial=<number>      serial number
//   desc=long|short      answers to "Dravik - MSP430 Flash Programmer" or to "Dravik"
//   openfail=long|both   opening by the long description (or by both) fails
//   reset=fail           the device reset fails
//   silent               the pod never answers
//   fault=<kind>:<command>[:<value>[:<occurrence>]]
//                        kind short, id, stray, write, noreply, stop or status
//                        (see PodFaultKind)
//   chip=<profile>|none  the chip at the end of the pod's cable: a named profile
//                        of the chip model (default MSP430F149), a name of the
//                        device table (e.g. MSP430F133: its first row of that
//                        name), row:<n> for row n of the device table, or nothing
//   fuses=<byte>         the chip's configuration fuse byte at start
//   state=<path>         the chip's state file: loaded at start when it exists,
//                        saved after every host write that changed the chip and
//                        when the pod is closed; with pod=none the adapter's
//                        chip's, saved when the adapter is closed
//   budget=<cycles>      cycles a released CPU runs per pod command (default 10000)
//   lenient              the chips' flash lets its documented rules pass (timing
//                        generator range, cumulative program time, mass erase
//                        time, block rows); by default each break is counted and
//                        leaves cells that verify finds
//   dco=<factor>         the chips' oscillators run at 0.4 to 6 times nominal (both
//                        items apply to the pod's chip and the adapter's)
//   leaky=<address>      the pod's chip's flash byte at the address holds no
//                        charge: it reads erased once a write into it ends
//                        (may be given more than once)
//   jtagafter=<n>        the chip answers JTAG only from the n-th JTAG enable on
//   entry                the chip answers JTAG only after the entry sequence
//   nojtag               the chip never answers JTAG
//   fused                the chip's security fuse is blown
//   adapter=<profile>    a Tovrin adapter with a chip of that profile (names as for
//                        chip=) on its connector, reached through the chip's ROM
//                        bootstrap loader; naming the pod's chip, the adapter
//                        reaches that very chip (one board: one memory, one
//                        state file)
//   time=modelled|real   the adapter's serial line on modelled time (default: a
//                        host waiting for bytes lets the line run on at once) or
//                        paced on the wall clock
//   adapterfault=<kind>:<n>
//                        a fault of the adapter or its chip's loader: nak (the
//                        n-th frame, from 1, is answered 0xA0 and not done), silent
//                        (the n-th frame gets no answer), reply (read replies come
//                        back with a corrupt header, l1, l2, checksum or data: n is
//                        that word), tohost and totarget (the n-th character to the
//                        host or to the target is lost), shortwrite (the n-th USB
//                        write takes one byte less), unplug (the adapter is gone
//                        after n USB writes)
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "kelvane/sim/device_profile.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"
#include "kelvane/sim/sim_backend.h"

namespace kv::sim {

namespace {

constexpr double kDcoScaleMin = 0.4;
constexpr double kDcoScaleMax = 6.0;

bool parseFactor(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != 0 || !(v >= kDcoScaleMin && v <= kDcoScaleMax)) return false;
    *out = v;
    return true;
}

bool parseNumber(const std::string& text, uint32_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != 0) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

// An adapter fault: what it does to the adapter's configuration, its
// loader's faults or its lines once the adapter is made.
struct AdapterFault {
    std::string kind;
    std::string value;
    uint32_t n = 0;
};

bool parseAdapterFault(const std::string& text, AdapterFault* fault) {
    const auto parts = split(text, ':');
    if (parts.size() != 2) return false;
    fault->kind = parts[0];
    fault->value = parts[1];
    if (fault->kind == "reply")
        return fault->value == "header" || fault->value == "l1" || fault->value == "l2" ||
               fault->value == "checksum" || fault->value == "data";
    static const char* const kinds[] = {"nak",      "silent",     "tohost",
                                        "totarget", "shortwrite", "unplug"};
    bool known = false;
    for (const char* k : kinds)
        known = known || fault->kind == k;
    return known && parseNumber(fault->value, &fault->n) && fault->n > 0;
}

void applyToConfig(const AdapterFault& f, TovrinAdapter::Config* config) {
    if (f.kind == "shortwrite") config->shortWrite = f.n;
    if (f.kind == "unplug") config->unplugAfterWrites = f.n;
}

void applyToAdapter(const AdapterFault& f, AdapterWithChip& adapter) {
    LoaderFaults& loader = adapter.loader().faults();
    if (f.kind == "nak") loader.refuseFrame = f.n;
    if (f.kind == "silent") loader.silentFrame = f.n;
    if (f.kind == "tohost") adapter.dropToHost(f.n);
    if (f.kind == "totarget") adapter.dropToTarget(f.n);
    if (f.kind == "reply") {
        using Reply = LoaderFaults::Reply;
        loader.reply = f.value == "header" ? Reply::Header
                       : f.value == "l1"   ? Reply::L1
                       : f.value == "l2"   ? Reply::L2
                       : f.value == "checksum" ? Reply::Checksum
                                               : Reply::Data;
    }
}

bool parseFault(const std::string& text, PodFault* fault) {
    const auto parts = split(text, ':');
    if (parts.size() < 2 || parts.size() > 4) return false;
    static const std::pair<const char*, PodFaultKind> kinds[] = {
        {"short", PodFaultKind::ShortReply}, {"id", PodFaultKind::WrongReplyId},
        {"stray", PodFaultKind::StrayBytes}, {"write", PodFaultKind::WriteFails},
        {"noreply", PodFaultKind::NoReply},  {"stop", PodFaultKind::StopAnswering},
        {"status", PodFaultKind::Status}};
    bool known = false;
    for (const auto& [name, kind] : kinds) {
        if (parts[0] == name) {
            fault->kind = kind;
            known = true;
        }
    }
    uint32_t command = 0;
    if (!known || !parseNumber(parts[1], &command) || command > 255) return false;
    fault->command = static_cast<uint8_t>(command);
    if (parts.size() > 2 && !parseNumber(parts[2], &fault->value)) return false;
    if (parts.size() > 3 && !parseNumber(parts[3], &fault->occurrence)) return false;
    return true;
}

}  // namespace

bool configureSimBackend(const std::string& config, SimBackend& backend, std::string* error) {
    PodConfig pod;
    bool withPod = true;
    std::string openFailure;
    std::string adapterChip;
    TovrinAdapter::Config adapterConfig;
    adapterConfig.modelledTime = true;
    std::vector<AdapterFault> adapterFaults;
    auto fail = [&](const std::string& item) {
        if (error) *error = "unknown simulator setting \"" + item + "\"";
        return false;
    };
    for (const std::string& item : split(config, ',')) {
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        uint32_t number = 0;
        if (key == "pod") {
            withPod = value != "none";
            if (value == "stale") {
                pod.firmware = "02.01.00";
            } else if (value == "old") {
                pod.firmware = "01.05.00";
            } else if (value == "corrupt") {
                pod.corruptFlash = true;
            } else if (value == "broken") {
                pod.verifyFails = true;
            } else if (value != "current" && value != "none") {
                return fail(item);
            }
        } else if (key == "firmware" && !value.empty()) {
            pod.firmware = value;
        } else if (key == "hw" && value.size() == 1) {
            pod.setHardwareLetter(value[0]);
        } else if (key == "serial" && parseNumber(value, &number)) {
            pod.serial = number;
        } else if (key == "desc" && (value == "long" || value == "short")) {
            pod.description = value == "long" ? kDravikDescription : kDravikShortDescription;
        } else if (key == "openfail" && (value == "long" || value == "both")) {
            openFailure = value;
        } else if (key == "reset" && value == "fail") {
            pod.resetStatus = kv::usb::kIoError;
        } else if (key == "silent" && value.empty()) {
            pod.silent = true;
        } else if (key == "fault") {
            PodFault fault;
            if (!parseFault(value, &fault)) return fail(item);
            pod.faults.push_back(fault);
        } else if (key == "chip" && (value == "none" || findProfile(value))) {
            pod.chip = value == "none" ? "" : value;
        } else if (key == "fuses" && parseNumber(value, &number) && number <= 0xFF) {
            pod.configFuses = static_cast<int32_t>(number);
        } else if (key == "state" && !value.empty()) {
            pod.statePath = value;
        } else if (key == "budget" && parseNumber(value, &number)) {
            pod.budget = number;
        } else if (key == "lenient" && eq == std::string::npos) {
            pod.lenient = true;
        } else if (key == "dco") {
            if (!parseFactor(value, &pod.dcoScale)) return fail(item);
        } else if (key == "leaky" && parseNumber(value, &number) && number <= 0xFFFFF) {
            pod.leakyCells.push_back(number);
        } else if (key == "jtagafter" && parseNumber(value, &number)) {
            pod.target.jtagAfter = number;
        } else if (key == "entry" && value.empty()) {
            pod.target.needsEntry = true;
        } else if (key == "nojtag" && value.empty()) {
            pod.target.mute = true;
        } else if (key == "fused" && value.empty()) {
            pod.target.fused = true;
        } else if (key == "adapter" && findProfile(value)) {
            adapterChip = value;
        } else if (key == "time" && (value == "modelled" || value == "real")) {
            adapterConfig.modelledTime = value == "modelled";
        } else if (key == "adapterfault") {
            AdapterFault fault;
            if (!parseAdapterFault(value, &fault)) return fail(item);
            applyToConfig(fault, &adapterConfig);
            adapterFaults.push_back(fault);
        } else {
            return fail(item);
        }
    }
    std::shared_ptr<Chip> podChip;
    if (withPod) {
        auto device = std::make_shared<DravikPod>(pod);
        const std::string stateError = device->stateError();
        if (!stateError.empty()) {
            if (error) *error = stateError;
            return false;
        }
        podChip = device->chip();
        backend.plug(device);
    }
    if (!adapterChip.empty()) {
        const DeviceProfile profile = *findProfile(adapterChip);
        // An adapter naming the pod's chip sits on the same board: its loader
        // is that chip's boot ROM. Another chip is a board of its own; without
        // a pod the state file is the adapter chip's.
        const bool sameBoard = podChip && podChip->profile().name == profile.name;
        auto adapter = sameBoard
                           ? std::make_shared<AdapterWithChip>(podChip, ChipHasTestPin(profile),
                                                               adapterConfig, pod.statePath)
                           : std::make_shared<AdapterWithChip>(profile, ChipHasTestPin(profile),
                                                               adapterConfig,
                                                               withPod ? "" : pod.statePath);
        if (!adapter->stateError().empty()) {
            if (error) *error = adapter->stateError();
            return false;
        }
        for (const AdapterFault& fault : adapterFaults)
            applyToAdapter(fault, *adapter);
        if (!sameBoard) {
            adapter->chip().setStrictFlashTiming(!pod.lenient);
            if (pod.dcoScale > 0) adapter->chip().setDcoScale(pod.dcoScale);
        }
        backend.plug(adapter);
    }
    if (!openFailure.empty()) {
        backend.failOpen(kDravikDescription, kv::usb::kDeviceNotOpened);
        if (openFailure == "both")
            backend.failOpen(kDravikShortDescription, kv::usb::kDeviceNotOpened);
    }
    return true;
}

}  // namespace kv::sim

extern "C" __attribute__((visibility("default"))) kv::usb::Backend* kelvane_simusb_create(
    const char* config) {
    try {
        auto backend = std::make_unique<kv::sim::SimBackend>();
        std::string error;
        if (!kv::sim::configureSimBackend(config ? config : "", *backend, &error)) {
            std::fprintf(stderr, "KELVANE_USB: %s\n", error.c_str());
            return nullptr;
        }
        return backend.release();
    } catch (...) {
        return nullptr;
    }
}
