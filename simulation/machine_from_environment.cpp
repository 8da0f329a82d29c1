// The composition point of the simulated machine: the one place where the kernel stand-in meets
// the device models. A process that does not make its own machine gets this one: simulated hubs
// from ZOUSB_DEVICES, a capture from ZOUSB_CAPTURE, and zousbdrv loaded from the folder of this
// library. The kernel itself knows devices only through kernel/usb_device.h.

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "hub/device_list.h"
#include "kernel/machine.h"
#include "simulation/simulated_hubs.h"

namespace zo::kernel {

namespace {

constexpr const char* kDriverFile = "libzousbdrv.so";

PDRIVER_INITIALIZE loadDriver(std::string& error) {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&loadDriver), &self) == 0 || self.dli_fname == nullptr) {
        error = "cannot locate the kernel stand-in's own library";
        return nullptr;
    }
    const auto path = std::filesystem::path(self.dli_fname).parent_path() / kDriverFile;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        error = std::string("cannot load the driver: ") + dlerror();
        return nullptr;
    }
    // The driver stays loaded for the life of the process, as a Windows driver stays loaded
    // while the system runs.
    auto* entry = reinterpret_cast<PDRIVER_INITIALIZE>(dlsym(module, "DriverEntry"));
    if (entry == nullptr) {
        error = path.string() + " has no DriverEntry";
    }
    return entry;
}

void append(std::string& errors, const std::string& error) {
    if (!error.empty()) {
        errors += errors.empty() ? error : "; " + error;
    }
}

}  // namespace

std::unique_ptr<Machine> Machine::fromEnvironment() {
    MachineOptions options;
    if (const char* capture = std::getenv("ZOUSB_CAPTURE"); capture != nullptr) {
        options.capturePath = capture;
    }
    std::string driverError;
    options.functionDriver = loadDriver(driverError);
    auto machine = std::make_unique<Machine>(options);
    append(machine->configurationError_, driverError);

    const hub::DeviceList list = hub::parseDeviceList(std::getenv("ZOUSB_DEVICES"));
    append(machine->configurationError_, list.error);
    int position = 0;
    for (const hub::HubOptions& hubOptions : list.hubs) {
        ++position;
        const auto plugged = simulation::plugSimulatedHub(*machine, hubOptions);
        if (!NT_SUCCESS(plugged.added)) {
            append(machine->configurationError_, "ZOUSB_DEVICES: hub " + std::to_string(position) +
                                                     " gets no driver instance (" +
                                                     statusName(plugged.added) + ")");
        } else if (!NT_SUCCESS(plugged.started)) {
            append(machine->configurationError_, "ZOUSB_DEVICES: hub " + std::to_string(position) +
                                                     " failed to start (" +
                                                     statusName(plugged.started) + ")");
        }
    }
    return machine;
}

}  // namespace zo::kernel
