#include "kernel/machine.h"

#include <algorithm>
#include <atomic>

#include "kernel/bugcheck.h"
#include "kernel/lookaside.h"
#include "kernel/usbmon_capture.h"

namespace zo::kernel {

namespace {

std::atomic<Machine*> currentMachine{nullptr};

// The answer to every request a driver has no routine for.
NTSTATUS refuseRequest(DEVICE_OBJECT*, IRP* irp) {
    irp->IoStatus.Status = STATUS_INVALID_DEVICE_REQUEST;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_INVALID_DEVICE_REQUEST;
}

}  // namespace

Machine::Machine(MachineOptions options)
    : options_(std::move(options)),
      previous_(currentMachine.exchange(this)),
      pnp_(*this),
      io_(*this) {
    keptIrps_.reserve(kLookasideDepth);
    if (std::string error;
        !options_.capturePath.empty() && !startCapture(options_.capturePath, error)) {
        configurationError_ = "ZOUSB_CAPTURE: cannot write " + options_.capturePath + ": " + error;
    }
    bus_ = std::make_unique<UsbBus>(
        options_.completion, capture_,
        options_.busClock ? options_.busClock : std::make_shared<SteadyBusClock>());
    bus_->createDriver();
    if (options_.functionDriver != nullptr) {
        functionDriver_ = createDriver("\\Driver\\zousbdrv", options_.functionDriver);
    }
}

Machine::~Machine() {
    pnp_.shutDown();
    bus_.reset();
    for (const auto& driver : drivers_) {
        if (driver->DriverUnload != nullptr) {
            driver->DriverUnload(driver.get());
        }
    }
    Machine* self = this;
    currentMachine.compare_exchange_strong(self, previous_);
}

Machine& Machine::current() {
    if (Machine* machine = currentMachine.load()) {
        return *machine;
    }
    static std::mutex creating;
    static std::unique_ptr<Machine> fromEnvironmentMachine;
    std::lock_guard lock(creating);
    if (Machine* machine = currentMachine.load()) {
        return *machine;
    }
    fromEnvironmentMachine = fromEnvironment();
    return *fromEnvironmentMachine;
}

Machine* Machine::existing() {
    return currentMachine.load();
}

bool Machine::startCapture(const std::string& path, std::string& error) {
    std::shared_ptr<UsbmonCapture> capture = UsbmonCapture::create(path, error);
    if (!capture) {
        return false;
    }
    capture_.attach(std::move(capture), path);
    return true;
}

void Machine::stopCapture() {
    capture_.attach(nullptr, {});
}

DRIVER_OBJECT* Machine::createDriver(const std::string& name, PDRIVER_INITIALIZE entry) {
    auto driver = std::make_unique<DRIVER_OBJECT>();
    driver->name = name;
    driver->DriverExtension = &driver->extension;
    std::ranges::fill(driver->MajorFunction, refuseRequest);
    const std::u16string wideName(name.begin(), name.end());
    UNICODE_STRING registryPath;
    RtlInitUnicodeString(&registryPath, wideName.c_str());
    if (!NT_SUCCESS(entry(driver.get(), &registryPath))) {
        return nullptr;
    }
    return drivers_.emplace_back(std::move(driver)).get();
}

std::string Machine::anonymousDeviceName() {
    std::lock_guard lock(irpMutex_);
    return "\\Device\\" + std::to_string(++anonymousDevices_);
}

IRP* Machine::createIrp() {
    std::lock_guard lock(irpMutex_);
    if (keptIrps_.empty()) {
        auto irp = std::make_unique<IRP>();
        IRP* raw = irp.get();
        irps_.emplace(raw, std::move(irp));
        return raw;
    }
    Irps::node_type kept = std::move(keptIrps_.back());
    keptIrps_.pop_back();
    IRP* raw = kept.key();
    irps_.insert(std::move(kept));
    return raw;
}

void Machine::destroyIrp(IRP* irp) {
    std::lock_guard lock(irpMutex_);
    Irps::node_type released = irps_.extract(irp);
    if (released.empty()) {
        bugCheck("IoFreeIrp of a request that is not allocated");
    }
    if (keptIrps_.size() < kLookasideDepth) {
        // No stack locations: the next IoInitializeIrp gives it the size it is allocated with,
        // reusing the room.
        released.mapped()->stack.clear();
        keptIrps_.push_back(std::move(released));
    }
}

std::size_t Machine::outstandingIrps() const {
    std::lock_guard lock(irpMutex_);
    return irps_.size();
}

}  // namespace zo::kernel
