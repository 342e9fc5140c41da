// The USB rig: a umockdev testbed with emulated FTDI devices on bus 1, each
// with a simulated device of sim/ behind it, and a program run on top of it
// with the real libusb and libftdi1. Run under umockdev-wrapper:
//
//   kelvane_usb_rig [device]... [--timeout <s>] -- <program> [arguments]
//
// Devices, plugged in the order given:
//   --pod <sim config>       a Dravik pod (e.g. "chip=MSP430F149")
//   --adapter <sim config>   a Tovrin adapter (e.g. "pod=none,adapter=MSP430F149")
//   --other <product>        an FTDI chip of another product, nothing behind it
//   --unplug-after <bytes>   the device before it is pulled out once the host
//                            has sent it this many bytes
//   --locked                 the device before it cannot be opened by this user
//   --record <file>          the bytes the host sends the device before it are
//                            appended to the file
// How the device before it treats the host (by default as a real chip does:
// a packet that is not full waits for the latency timer):
//   --instant                its device's bytes leave at once
//   --pieces <n>             at most n data bytes a packet, each after the
//                            latency timer
//   --silent-after <n>       only the first n bytes of its device reach the host
//   --stall-in <n>           the n-th bulk IN transfer never completes
//   --stall-out <n>          the n-th bulk OUT transfer is never taken (the
//                            host's write times out; later ones are taken)
//   --kernel-driver <name>   a kernel driver (ftdi_sio) is bound to it and must
//                            be detached before the host can claim it
//   --claimed-elsewhere      another program holds it claimed while the
//                            program runs (the rig itself, started as
//                            kelvane_usb_rig --hold-claim <node>)
//
// The bus lists the device plugged in last first, as libusb does. At the end
// each pod or adapter says whether it left its target's supply on, and how
// many of its packets left early on the event character.
// Ends with the program's exit status; 124 when it did not end within the
// time-out (it is killed), 125 when the host broke a rule of the kernel's.
#include <fcntl.h>
#include <glib.h>
#include <linux/usbdevice_fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"
#include "kelvane/sim/tovrin_adapter.h"
#include "usbfs_device.h"

namespace {

using kv::rig::FtdiChipModel;
using kv::rig::UsbfsDevice;

struct Plugged {
    std::unique_ptr<UsbfsDevice> device;
    std::string syspath;
    std::string node;
    bool locked = false;
    bool claimedElsewhere = false;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr, "kelvane_usb_rig: %s\n", why);
    std::exit(2);
}

// The simulated device of a configuration that answers to one of `names`.
std::shared_ptr<kv::usb::Device> simulated(const std::string& config,
                                           std::initializer_list<const char*> names) {
    static std::vector<std::shared_ptr<kv::sim::SimBackend>> backends;
    auto backend = std::make_shared<kv::sim::SimBackend>();
    std::string error;
    if (!kv::sim::configureSimBackend(config, *backend, &error)) usage(error.c_str());
    backends.push_back(backend);
    for (const char* name : names) {
        std::shared_ptr<kv::usb::Device> device;
        if (backend->open(name, &device) != kv::usb::kOk || !device) continue;
        if (device->open() == kv::usb::kOk) return device;
    }
    usage(("no such device in \"" + config + "\"").c_str());
}

std::string hex(const kv::rig::Bytes& bytes) {
    std::string s;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        s += two;
    }
    return s;
}

void plug(UMockdevTestbed* bed, std::vector<Plugged>& all, FtdiChipModel chip) {
    const int number = static_cast<int>(all.size()) + 1;
    const int devnum = number + 1;
    char node[64];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", devnum);
    Plugged p;
    p.node = node;
    p.syspath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number);
    const std::string product = chip.product();
    const std::string serial = "KV" + std::to_string(number);
    p.device = std::make_unique<UsbfsDevice>(std::move(chip));
    // The node's handler first, so that the device can be opened once it shows.
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(bed, node, p.device->handler(), &error))
        usage(error ? error->message : "cannot emulate the device node");
    const std::string record =
        "P: /devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number) + "\n" +
        "N: " + std::string(node + 5) + "\n"
        "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
        "E: BUSNUM=001\nE: DEVNUM=" + std::string(node + 17) + "\n"
        "E: DEVNAME=" + node + "\n"
        "A: busnum=1\\n\nA: devnum=" + std::to_string(devnum) + "\\n\n"
        "A: idVendor=0403\\n\nA: idProduct=6001\\n\nA: speed=12\\n\n"
        "A: bConfigurationValue=1\\n\nA: manufacturer=FTDI\\n\n"
        "A: product=" + product + "\\n\nA: serial=" + serial + "\\n\n"
        "H: descriptors=" + hex(FtdiChipModel::descriptors()) + "\n";
    if (!umockdev_testbed_add_from_string(bed, record.c_str(), &error))
        usage(error ? error->message : "cannot add the device");
    all.push_back(std::move(p));
}

// Another program: opens the node, claims interface 0 and holds it until it
// is killed. Says "claimed" on standard output once it holds it.
int holdClaim(const char* node) {
    const int fd = open(node, O_RDWR);
    unsigned int iface = 0;
    if (fd < 0 || ioctl(fd, USBDEVFS_CLAIMINTERFACE, &iface) != 0) {
        std::perror(node);
        return 1;
    }
    std::printf("claimed\n");
    std::fflush(stdout);
    for (;;) pause();
}

// Starts the program that holds `node` claimed; returns its process id once
// it holds it.
pid_t startHolder(const char* rig, const std::string& node) {
    int out[2];
    if (pipe(out) != 0) usage("cannot start the program that holds the device");
    const pid_t holder = fork();
    if (holder == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(rig, rig, "--hold-claim", node.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char said[16] = {};
    const ssize_t n = read(out[0], said, sizeof said - 1);
    close(out[0]);
    if (n <= 0 || std::string(said) != "claimed\n") usage(("cannot claim " + node).c_str());
    return holder;
}

// Whether the pod or adapter behind a device still powers its target.
bool supplyOn(const std::shared_ptr<kv::usb::Device>& device) {
    if (auto pod = std::dynamic_pointer_cast<kv::sim::DravikPod>(device))
        return pod->target().vcc() != 0;
    if (auto adapter = std::dynamic_pointer_cast<kv::sim::TovrinAdapter>(device))
        return adapter->lines().supply;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--hold-claim") return holdClaim(argv[2]);
    UMockdevTestbed* bed = umockdev_testbed_new();
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    std::thread events([loop] { g_main_loop_run(loop); });
    std::vector<Plugged> all;
    int timeout = 60;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        const bool flag = a == "--locked" || a == "--instant" || a == "--claimed-elsewhere";
        if (i + 1 >= argc && !flag) usage(("no value after " + a).c_str());
        if (a != "--pod" && a != "--adapter" && a != "--other" && a != "--timeout" &&
            all.empty())
            usage((a + " before any device").c_str());
        if (a == "--pod" || a == "--adapter") {
            const bool pod = a == "--pod";
            auto device = pod ? simulated(argv[++i], {"Dravik - MSP430 Flash Programmer", "Dravik"})
                              : simulated(argv[++i], {"Tovrin - MSP430 Flash Bootloader"});
            plug(bed, all, FtdiChipModel(device->description(), "", device));
        } else if (a == "--other") {
            plug(bed, all, FtdiChipModel(argv[++i], "", nullptr));
        } else if (a == "--unplug-after") {
            const std::string syspath = all.back().syspath;
            all.back().device->unplugAfter(std::strtoul(argv[++i], nullptr, 10), [bed, syspath] {
                umockdev_testbed_uevent(bed, syspath.c_str(), "remove");
                umockdev_testbed_remove_device(bed, syspath.c_str());
            });
        } else if (a == "--record") {
            all.back().device->recordTo(argv[++i]);
        } else if (a == "--locked") {
            all.back().locked = true;
        } else if (a == "--instant") {
            all.back().device->chip().inSide().instant = true;
        } else if (a == "--pieces") {
            all.back().device->chip().inSide().piece = std::strtoul(argv[++i], nullptr, 10);
        } else if (a == "--silent-after") {
            all.back().device->chip().inSide().silentAfter = std::strtoul(argv[++i], nullptr, 10);
        } else if (a == "--stall-in") {
            all.back().device->stallIn(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--stall-out") {
            all.back().device->stallOut(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--kernel-driver") {
            all.back().device->bindDriver(argv[++i]);
        } else if (a == "--claimed-elsewhere") {
            all.back().claimedElsewhere = true;
        } else if (a == "--timeout") {
            timeout = std::atoi(argv[++i]);
        } else {
            usage(("unknown item " + a).c_str());
        }
    }
    if (i + 1 >= argc) usage("no program to run");
    const std::string root = umockdev_testbed_get_root_dir(bed);
    for (const Plugged& p : all)
        if (p.locked) chmod((root + p.node).c_str(), 0);
    std::vector<pid_t> holders;
    for (const Plugged& p : all)
        if (p.claimedElsewhere) holders.push_back(startHolder(argv[0], p.node));

    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        execvp(argv[i + 1], argv + i + 1);
        std::perror(argv[i + 1]);
        _exit(127);
    }
    int result = 124;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "kelvane_usb_rig: %s did not end within %d s\n", argv[i + 1],
                         timeout);
            kill(-child, SIGKILL);
            waitpid(child, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (const pid_t holder : holders) {
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
    }
    for (const Plugged& p : all) {
        // A device pulled out no longer powers anything.
        const auto& behind = p.device->chip().behind();
        if (behind && !p.device->pulled())
            std::fprintf(stderr,
                         "kelvane_usb_rig: %s: target supply %s; %zu packets on the event "
                         "character\n",
                         p.device->chip().product().c_str(), supplyOn(behind) ? "on" : "off",
                         p.device->chip().eventPackets());
        const std::string v = p.device->violation();
        if (!v.empty()) {
            std::fprintf(stderr, "kelvane_usb_rig: %s: %s\n", p.device->chip().product().c_str(),
                         v.c_str());
            result = 125;
        }
    }
    g_main_loop_quit(loop);
    events.join();
    g_main_loop_unref(loop);
    all.clear();
    g_object_unref(bed);
    return result;
}
