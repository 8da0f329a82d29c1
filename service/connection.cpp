#include "service/connection.h"

#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "driver/zousb_ioctl.h"
#include "service/service.h"

namespace zo::zousbsim {

namespace {

using platform::service::Frame;
using platform::service::Received;

}  // namespace

Connection::Connection(Service& service, MachineHost& host,
                       platform::service::MessageChannel channel, std::uint32_t id, pid_t process)
    : service_(service), host_(host), channel_(std::move(channel)), id_(id), process_(process) {
    thread_ = std::thread([this] { serve(); });
}

Connection::~Connection() {
    shutdown();
    thread_.join();
}

std::optional<protocol::HandleEntry> Connection::openHandle() const {
    std::lock_guard lock(handleMutex_);
    if (!file_) {
        return std::nullopt;
    }
    return description_;
}

void Connection::serve() {
    if (greet()) {
        Frame frame;
        while (channel_.receive(frame, protocol::requestBodyLimit) == Received::Frame) {
            std::optional<protocol::Request> request =
                protocol::decodeRequest(frame.type, frame.body);
            if (!request ||
                !std::visit([this](const auto& message) { return handle(message); }, *request)) {
                break;
            }
        }
    }
    host_.dropRecording(id_);
    closeHandle();
    finished_ = true;
    service_.changed();
}

bool Connection::greet() {
    Frame frame;
    if (channel_.receive(frame, protocol::requestBodyLimit) != Received::Frame) {
        return false;
    }
    const std::optional<protocol::Request> request =
        protocol::decodeRequest(frame.type, frame.body);
    const auto* hello = request ? std::get_if<protocol::HelloRequest>(&*request) : nullptr;
    if (hello == nullptr) {
        return false;
    }
    const bool agreed = hello->version == protocol::kProtocolVersion;
    const protocol::HelloReply reply{protocol::kProtocolVersion,
                                     agreed ? STATUS_SUCCESS : STATUS_REVISION_MISMATCH,
                                     static_cast<std::uint32_t>(::getpid())};
    return channel_.send(protocol::encode(reply)) && agreed;
}

void Connection::closeHandle() {
    std::shared_ptr<kernel::OpenFile> file;
    {
        std::lock_guard lock(handleMutex_);
        file = std::move(file_);
    }
    if (file) {
        // The stream belongs to the hub and outlives the handle; nobody could stop it once the
        // program that started it is gone, and every later start would be refused as busy.
        if (std::exchange(streaming_, false)) {
            std::vector<std::uint8_t> none;
            host_.machine().io().deviceControl(*file, IOCTL_ZOUSB_STOP_STREAM, {}, none);
        }
        host_.machine().io().close(*file);
        service_.changed();
    }
}

bool Connection::handle(const protocol::HelloRequest&) {
    return false;  // the version was agreed at the start; a second greeting is out of place
}

bool Connection::handle(const protocol::OpenRequest& request) {
    NTSTATUS status = STATUS_INVALID_DEVICE_STATE;  // one handle per connection
    if (!openHandle()) {
        std::shared_ptr<kernel::OpenFile> file;
        status = host_.machine().io().open(request.path, request.from32BitProcess, file);
        if (file) {
            std::lock_guard lock(handleMutex_);
            file_ = std::move(file);
            description_ = {id_, process_, request.from32BitProcess, request.path};
        }
        service_.changed();
    }
    return channel_.send(protocol::encode(protocol::OpenReply{status}));
}

bool Connection::handle(const protocol::IoControlRequest& request) {
    protocol::IoControlReply reply{STATUS_INVALID_HANDLE, 0, {}};
    // Only this thread changes the handle, so it can be used without the lock.
    if (file_) {
        const bool whole = protocol::carriesOutputBuffer(request.code);
        std::vector<std::uint8_t> output =
            whole ? request.output : std::vector<std::uint8_t>(request.outputLength);
        const kernel::IoResult result =
            host_.machine().io().deviceControl(*file_, request.code, request.input, output);
        reply.status = result.status;
        reply.information = static_cast<std::uint32_t>(result.information);
        if (NT_SUCCESS(result.status) &&
            (request.code == IOCTL_ZOUSB_START_STREAM || request.code == IOCTL_ZOUSB_STOP_STREAM)) {
            streaming_ = request.code == IOCTL_ZOUSB_START_STREAM;
        }
        if (!whole) {
            // The I/O manager copied the bytes returned (never more than the buffer) on success.
            output.resize(NT_SUCCESS(result.status)
                              ? std::min<std::size_t>(result.information, output.size())
                              : 0);
        }
        reply.output = std::move(output);
    }
    return channel_.send(protocol::encode(reply));
}

bool Connection::handle(const protocol::CloseRequest&) {
    closeHandle();
    return channel_.send(protocol::encode(protocol::CloseReply{STATUS_SUCCESS}));
}

bool Connection::handle(const protocol::StatusRequest&) {
    return channel_.send(protocol::encode(service_.status()));
}

bool Connection::handle(const protocol::PlugRequest& request) {
    const protocol::PlugReply reply = host_.plug(request.entry);
    service_.changed();
    return channel_.send(protocol::encode(reply));
}

bool Connection::handle(const protocol::UnplugRequest& request) {
    const NTSTATUS status = host_.unplug(request.port);
    service_.changed();
    return channel_.send(protocol::encode(protocol::UnplugReply{status}));
}

bool Connection::handle(const protocol::RecordStartRequest& request) {
    const NTSTATUS status = host_.startRecording(id_, request.path, request.maxTransitions);
    service_.changed();
    return channel_.send(protocol::encode(protocol::RecordStartReply{status}));
}

bool Connection::handle(const protocol::RecordStopRequest&) {
    NTSTATUS status = STATUS_SUCCESS;
    const std::optional<hub::Waveform> waveform = host_.stopRecording(id_, status);
    service_.changed();
    protocol::RecordStopReply reply{status};
    if (waveform) {
        reply.startNanoseconds = waveform->startNanoseconds;
        reply.endNanoseconds = waveform->endNanoseconds;
        reply.truncated = waveform->truncated;
        reply.initialLevels = waveform->initialLevels;
        reply.transitionCount = waveform->transitions.size();
    }
    if (!channel_.send(protocol::encode(reply))) {
        return false;
    }
    const std::span<const hub::WaveformTransition> left =
        waveform ? std::span(waveform->transitions) : std::span<const hub::WaveformTransition>{};
    for (std::size_t at = 0; at < left.size(); at += protocol::kTransitionsPerChunk) {
        const auto part =
            left.subspan(at, std::min(protocol::kTransitionsPerChunk, left.size() - at));
        if (!channel_.send(protocol::encode(protocol::WaveformChunk{{part.begin(), part.end()}}))) {
            return false;
        }
    }
    return true;
}

bool Connection::handle(const protocol::CaptureRequest& request) {
    return channel_.send(protocol::encode(host_.capture(request.path)));
}

bool Connection::handle(const protocol::StopRequest&) {
    const bool sent = channel_.send(protocol::encode(protocol::StopReply{STATUS_SUCCESS}));
    service_.requestStop();
    return sent;
}

}  // namespace zo::zousbsim
