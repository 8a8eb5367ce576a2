#pragma once
// What a contract test may do to the machine it runs on. Natively the
// doubles stand in; built for Windows, the real system (under Wine) does,
// and the same expectations must hold for both.
#include <cstdint>
#include <string>

#include "platform/services.h"

namespace contract {

enum class Fixture {
  Version6123,    // a DLL whose file version is 6.1.2.3
  Build40000,     // a DLL whose file version is 1.2.40000.4
  NoVersionInfo,  // a DLL without version information
};

class Env {
 public:
  virtual ~Env() = default;
  // The services under test; they are also installed as platform::Os().
  virtual const platform::Services& os() = 0;
  // A new empty folder of this test's own (no trailing backslash).
  virtual std::string ScratchFolder() = 0;
  virtual void MakeFile(const std::string& path, const std::string& bytes, bool hidden = false,
                        bool system = false) = 0;
  virtual void MakeFolder(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // A new key of this test's own below HKEY_CURRENT_USER (no leading
  // backslash), removed with everything below it when the run ends.
  virtual std::string ScratchKey() = 0;
  // Stores a value exactly as given, bypassing the code under test.
  virtual void PutRaw(std::int32_t root, const std::string& key, const std::string& name,
                      std::uint32_t type, const std::string& bytes) = 0;
  // The stored type and bytes, read without the code under test; false
  // when the value is missing.
  virtual bool GetRaw(std::int32_t root, const std::string& key, const std::string& name,
                      std::uint32_t& type, std::string& bytes) = 0;
  // A value in HKEY_LOCAL_MACHINE\Software that only the other registry
  // view holds (the 64-bit one for a 32-bit build, and the other way
  // round); removed when the run ends. Where the system has a single view
  // (32-bit Windows), it lands in that one: HasOtherRegistryView says which.
  virtual void PutOtherView(const std::string& key, const std::string& name,
                            const std::string& text) = 0;
  virtual bool HasOtherRegistryView() = 0;
  // A copy of a fixture in the 64-bit system folder, where a 64-bit
  // product installs its driver; removed when the run ends. Returns whether
  // this program sees that folder only with redirection off (a 32-bit
  // program on 64-bit Windows); otherwise it is simply its system folder.
  virtual bool PutNativeSystemFile(const std::string& name, Fixture fixture) = 0;
  // Full path of a fixture file.
  virtual std::string FixturePath(Fixture fixture) = 0;
  // The folder the system reports for a special folder number, the
  // temporary folder and the system folder, as the real system has them.
  virtual bool RealSystem() const = 0;
};

// The process's environment, made on first use.
Env& TheEnv();

}  // namespace contract
