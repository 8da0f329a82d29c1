#pragma once
// One simulated machine: its kernel (pool, object namespace, drivers, requests), its USB bus with
// the hubs plugged in, and the plug and play and I/O managers that connect user mode to them.
//
// A process has one current machine. The first use creates it from the environment
// (ZOUSB_DEVICES, ZOUSB_CAPTURE; see fromEnvironment); a test creates its own, which is current
// while it lives.

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "kernel/capture_tap.h"
#include "kernel/io_manager.h"
#include "kernel/kernel_faults.h"
#include "kernel/kernel_hooks.h"
#include "kernel/memory_lookaside.h"
#include "kernel/object_manager.h"
#include "kernel/pnp_manager.h"
#include "kernel/pool.h"
#include "kernel/usb_bus.h"

namespace zo::kernel {

struct MachineOptions {
    // The function driver for hubs; without one, plugged-in hubs get no driver.
    PDRIVER_INITIALIZE functionDriver = nullptr;
    BusCompletion completion = BusCompletion::ImmediateWhenIdle;
    ULONG usbdiVersion = 0x600;
    std::string capturePath;  // empty: no usbmon capture
    // The bus's (micro)frame clock; null: the steady wall clock.
    std::shared_ptr<BusClock> busClock;
};

class Machine {
  public:
    explicit Machine(MachineOptions options = {});
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
    ~Machine();

    static Machine& current();
    // The current machine when the process has one; never makes one.
    static Machine* existing();
    // The machine the environment describes: its hubs plugged in and started, the driver loaded
    // from beside this library. Problems are kept in configurationError(), never thrown.
    // The kernel knows devices only through kernel/usb_device.h; this one function, defined at the
    // composition point (simulation/machine_from_environment.cpp), decides which devices those are.
    static std::unique_ptr<Machine> fromEnvironment();

    Pool& pool() { return pool_; }
    ObjectManager& objects() { return objects_; }
    UsbBus& bus() { return *bus_; }
    PnpManager& pnp() { return pnp_; }
    IoManager& io() { return io_; }
    KernelFaults& faults() { return faults_; }
    KernelHooks& hooks() { return hooks_; }
    // Memory for the I/O manager's records of dispatch calls (kernel/io_verification.h).
    MemoryLookaside& dispatchCheckRecords() { return dispatchCheckRecords_; }
    ULONG usbdiVersion() const { return options_.usbdiVersion; }
    DRIVER_OBJECT* functionDriver() const { return functionDriver_; }

    // Why the machine has fewer hubs or no capture than asked for; empty when all went well.
    const std::string& configurationError() const { return configurationError_; }

    // The usbmon capture of the bus, replaced while the machine runs: every transfer from now on
    // goes to the new file (created or truncated). False with the reason in `error` when the file
    // cannot be written; the capture in use then stays.
    bool startCapture(const std::string& path, std::string& error);
    void stopCapture();
    std::string capturePath() const { return capture_.path(); }

    DRIVER_OBJECT* createDriver(const std::string& name, PDRIVER_INITIALIZE entry);
    std::string anonymousDeviceName();

    // A request the caller initialises (IoInitializeIrp), and its release.
    IRP* createIrp();
    void destroyIrp(IRP* irp);
    std::size_t outstandingIrps() const;

  private:
    MachineOptions options_;
    Machine* previous_;
    std::string configurationError_;
    Pool pool_;
    ObjectManager objects_;
    KernelFaults faults_;
    KernelHooks hooks_;
    CaptureTap capture_;
    std::vector<std::unique_ptr<DRIVER_OBJECT>> drivers_;
    DRIVER_OBJECT* functionDriver_ = nullptr;
    std::unique_ptr<UsbBus> bus_;
    PnpManager pnp_;
    IoManager io_;

    // Before the requests: a request released with the machine drops its dispatch calls' records
    // into this list.
    MemoryLookaside dispatchCheckRecords_;
    using Irps = std::unordered_map<IRP*, std::unique_ptr<IRP>>;
    mutable std::mutex irpMutex_;
    Irps irps_;
    // Released requests kept for reuse with their stack room, as the kernel's lookaside list of
    // requests (kernel/lookaside.h).
    std::vector<Irps::node_type> keptIrps_;
    int anonymousDevices_ = 0;
};

}  // namespace zo::kernel
