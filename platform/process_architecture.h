#pragma once
// "Does this process run as a 32-bit program under emulation on a 64-bit system?" On Windows this
// is IsWow64Process and changes which registry view and folders a program sees; on Linux the suite
// runs natively and the answer is no. Tests put in their own answer to reach the emulated paths.

namespace zo::platform {

class ProcessArchitecture {
  public:
    virtual ~ProcessArchitecture() = default;
    virtual bool isUnder32BitEmulation() const = 0;
};

// The answer in force for the process: the native one unless a test substituted another.
const ProcessArchitecture& processArchitecture();

// Makes `substitute` the process's answer for as long as this object lives.
class ScopedProcessArchitecture {
  public:
    explicit ScopedProcessArchitecture(const ProcessArchitecture& substitute);
    ~ScopedProcessArchitecture();
    ScopedProcessArchitecture(const ScopedProcessArchitecture&) = delete;
    ScopedProcessArchitecture& operator=(const ScopedProcessArchitecture&) = delete;

  private:
    const ProcessArchitecture* previous_;
};

// A fixed answer, for tests and for builds that know it at compile time.
class FixedProcessArchitecture : public ProcessArchitecture {
  public:
    explicit FixedProcessArchitecture(bool emulated) : emulated_(emulated) {}
    bool isUnder32BitEmulation() const override { return emulated_; }

  private:
    bool emulated_;
};

}  // namespace zo::platform
