// File system, special folders, version resources, code page and system
// messages: the doubles against the real services.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/text.h"
#include "requirements/modCheck.h"
#include "tests/contract/env.h"

namespace {

using platform::EntryKinds;

struct FilesContract : ::testing::Test {
  contract::Env& env = contract::TheEnv();
  platform::FileSystem& fs = *env.os().files;
  std::string dir = env.ScratchFolder();
};

TEST_F(FilesContract, SearchHonoursAttributes) {
  env.MakeFile(dir + "\\plain.txt", "x");
  env.MakeFile(dir + "\\hidden.txt", "x", true);
  env.MakeFile(dir + "\\system.txt", "x", false, true);
  env.MakeFolder(dir + "\\Sub Folder");
  struct Case {
    std::string pattern;
    EntryKinds kinds;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {dir + "\\plain.txt", EntryKinds::NormalFiles, "plain.txt"},
      {dir + "\\PLAIN.TXT", EntryKinds::NormalFiles, "plain.txt"},
      {dir + "\\hidden.txt", EntryKinds::NormalFiles, std::nullopt},
      {dir + "\\system.txt", EntryKinds::NormalFiles, std::nullopt},
      {dir + "\\hidden.txt", EntryKinds::FilesAndFolders, std::nullopt},
      {dir + "\\hidden.txt", EntryKinds::Any, "hidden.txt"},
      {dir + "\\Sub Folder", EntryKinds::NormalFiles, std::nullopt},
      {dir + "\\sub folder", EntryKinds::FilesAndFolders, "Sub Folder"},
      {dir + "\\plain.txt", EntryKinds::FilesAndFolders, "plain.txt"},
      {dir + "\\pl*.t?t", EntryKinds::NormalFiles, "plain.txt"},
      {dir + "\\*.none", EntryKinds::Any, std::nullopt},
      {dir + "\\missing\\plain.txt", EntryKinds::Any, std::nullopt},
      {dir + "\\pl\"ain.txt", EntryKinds::Any, std::nullopt},
      {"", EntryKinds::Any, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    // Nothing there, a missing folder or an impossible name is no failure:
    // the search looked.
    platform::Status failure = 1;
    EXPECT_EQ(fs.FindFirst(c.pattern, c.kinds, failure), c.expected);
    EXPECT_EQ(failure, platform::kOk);
  }
}

TEST_F(FilesContract, WriteReadDeleteRoundTrip) {
  const std::string f = dir + "\\permit.per";
  const auto read = [&] {
    std::string bytes;
    EXPECT_EQ(fs.ReadAll(f, bytes), platform::kOk);
    return bytes;
  };
  EXPECT_EQ(fs.WriteFile(f, "A\r\n"), platform::kOk);
  EXPECT_EQ(fs.TryOpenForRead(f), platform::kOk);
  EXPECT_EQ(read(), "A\r\n");
  EXPECT_EQ(fs.WriteFile(f, std::string("x\0y", 3)), platform::kOk);  // replaces
  EXPECT_EQ(read(), std::string("x\0y", 3));
  EXPECT_EQ(fs.DeleteFile(f), platform::kOk);
  EXPECT_FALSE(env.Exists(f));
  EXPECT_NE(fs.TryOpenForRead(f), platform::kOk);
  EXPECT_NE(fs.TryOpenForRead(dir), platform::kOk);
}

TEST_F(FilesContract, FailuresCarryTheSystemCode) {
  env.MakeFile(dir + "\\file", "x");
  std::string bytes = "kept";
  EXPECT_EQ(fs.ReadAll(dir + "\\missing", bytes), 2);
  EXPECT_EQ(bytes, "kept");
  EXPECT_EQ(fs.DeleteFile(dir + "\\missing"), 2);
  EXPECT_EQ(fs.CreateFolder(dir + "\\no\\such"), 3);
  EXPECT_EQ(fs.CreateFolder(dir + "\\file"), 183);
  EXPECT_NE(fs.CreateFolder(dir + "\\file\\below"), 0);
  EXPECT_NE(fs.WriteFile(dir + "\\no\\such\\f", "x"), 0);
  EXPECT_EQ(fs.CreateFolder(dir + "\\new"), 0);
  EXPECT_TRUE(env.Exists(dir + "\\new"));
}

TEST_F(FilesContract, PropagatedFailuresSayWhatFailedWhereAndWhy) {
  try {
    platform::ThrowIfFailed(fs.CreateFolder(dir + "\\no\\such"), "Could not create the folder",
                            dir + "\\no\\such");
    ADD_FAILURE() << "no error";
  } catch (const platform::OsError& e) {
    EXPECT_EQ(e.status(), 3);
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Could not create the folder \"" + dir + "\\no\\such\": ", 0), 0u) << text;
    EXPECT_GT(text.size(), text.find("\": ") + 3) << "no reason given: " << text;
  }
  EXPECT_NO_THROW(platform::ThrowIfFailed(platform::kOk, "x", "y"));
}

TEST(FoldersContract, SpecialFoldersAsTheSystemGivesThem) {
  auto& folders = *contract::TheEnv().os().folders;
  auto& fs = *contract::TheEnv().os().files;
  std::string buffer(260, ' ');
  ASSERT_EQ(folders.GetFolderPath(platform::kCsidlCommonAppData, 0, buffer), 0);
  EXPECT_EQ(buffer.size(), 260u);
  const std::string appData = buffer.substr(0, buffer.find('\0'));
  EXPECT_EQ(appData, "C:\\ProgramData");
  // What follows the NUL is what the buffer held before.
  EXPECT_EQ(buffer.back(), ' ');

  buffer.assign(260, ' ');
  ASSERT_EQ(folders.GetFolderPath(platform::kCsidlPersonal, 0, buffer), 0);
  const std::string documents = buffer.substr(0, buffer.find('\0'));
  EXPECT_TRUE(fs.FindFirst(documents, EntryKinds::FilesAndFolders)) << documents;

  // The desktop's documents folder is not known to Wine; the double agrees.
  buffer.assign(260, ' ');
  EXPECT_NE(folders.GetFolderPath(platform::kCsidlMyDocuments, 0, buffer), 0);
  EXPECT_EQ(buffer, '\0' + std::string(259, ' '));

  buffer.assign(260, '\0');
  const auto n = folders.GetTempPath(buffer);
  const std::string temp = buffer.substr(0, buffer.find('\0'));
  EXPECT_EQ(n, temp.size());
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');

  for (auto get : {&platform::SystemFolders::GetSystemDirectory,
                   &platform::SystemFolders::GetWindowsDirectory}) {
    buffer.assign(255, '\0');
    const auto len = (folders.*get)(buffer);
    const std::string folder = buffer.substr(0, len);
    EXPECT_EQ(folder.find('\0'), std::string::npos);
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(fs.FindFirst(folder, EntryKinds::FilesAndFolders)) << folder;
  }
}

TEST(VersionsContract, FixedInfoOfFixtureFiles) {
  auto& env = contract::TheEnv();
  auto& versions = *env.os().versions;
  struct Case {
    contract::Fixture fixture;
    std::uint32_t ms, ls;
  };
  for (const Case& c : {Case{contract::Fixture::Version6123, 6u << 16 | 1, 2u << 16 | 3},
                        Case{contract::Fixture::Build40000, 1u << 16 | 2, 40000u << 16 | 4}}) {
    const std::string path = env.FixturePath(c.fixture);
    SCOPED_TRACE(path);
    const auto size = versions.GetSize(path);
    ASSERT_GT(size, 0);
    std::vector<std::uint8_t> data(static_cast<size_t>(size));
    ASSERT_EQ(versions.GetData(path, data), platform::kOk);
    const auto fixed = versions.QueryFixed(data);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->fileVersionMS, c.ms);
    EXPECT_EQ(fixed->fileVersionLS, c.ls);
  }
  const std::string plain = env.FixturePath(contract::Fixture::NoVersionInfo);
  EXPECT_TRUE(env.Exists(plain));
  EXPECT_LE(versions.GetSize(plain), 0);
  EXPECT_LE(versions.GetSize(plain + ".missing"), 0);
  EXPECT_LE(versions.GetSize(env.ScratchFolder() + "\\*.dll"), 0);
  // A buffer that holds no version resource gives no fixed block.
  std::vector<std::uint8_t> garbage(128, 0);
  EXPECT_FALSE(versions.QueryFixed(garbage));
}

TEST(CodePageContract, Windows1252RoundTrip) {
  auto& cp = *contract::TheEnv().os().codePage;
  EXPECT_EQ(cp.ToAnsi("Zantrixweb\xC2\xAE"), "Zantrixweb\xAE");
  EXPECT_EQ(cp.FromAnsi("Zantrixweb\xAE"), "Zantrixweb\xC2\xAE");
  EXPECT_EQ(cp.FromAnsi("\x80"), "\xE2\x82\xAC");  // the euro sign
  EXPECT_EQ(cp.ToAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(cp.FromAnsi(std::string("a\0\0", 3)), std::string("a\0\0", 3));
}

TEST(MessagesContract, SystemTextsExist) {
  auto& messages = *contract::TheEnv().os().messages;
  for (long code : {2L, 3L, 5L, 110L}) EXPECT_FALSE(messages.Describe(code).empty()) << code;
}

// The system's SHA-256, read in pieces through a held file: the standard's
// test vectors, one of them many pieces long.
TEST_F(FilesContract, Sha256OfAFile) {
  if (!env.RealSystem()) GTEST_SKIP() << "the double stands in for the digest";
  struct Case {
    std::string bytes, digest;
  };
  const Case cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    env.MakeFile(dir + "\\installer.exe", c.bytes);
    const modCheck::PinCheck pin = modCheck::CheckPin(dir + "\\installer.exe", c.digest);
    ASSERT_TRUE(pin.actual);
    EXPECT_EQ(modCheck::Sha256Text(*pin.actual), c.digest);
    EXPECT_TRUE(pin.matches);
  }
}

// A held file is what it was when it was checked: no one can write, replace
// or delete it until it is closed; only a regular file is held at all.
TEST_F(FilesContract, HeldFilesCannotChange) {
  auto& files = *env.os().files;
  const std::string installer = dir + "\\Setup.exe";
  env.MakeFile(installer, "MZ packaged");
  env.MakeFolder(dir + "\\Folder.exe");
  struct Case {
    std::string path;
    platform::Status status;
    platform::FileKind kind;
  };
  std::vector<Case> cases = {
      {installer, platform::kOk, platform::FileKind::Regular},
      {dir + "\\Folder.exe", platform::kErrorNotAFile, platform::FileKind::Folder},
      {dir + "\\none.exe", platform::kErrorFileNotFound, platform::FileKind::Regular},
  };
  if (env.RealSystem())
    for (const std::string& device : {dir + "\\COM1", dir + "\\nul.exe", dir + "\\CON",
                                     std::string("\\\\.\\pipe\\preflect-none")})
      cases.push_back({device, platform::kErrorNotAFile, platform::FileKind::Device});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::unique_ptr<platform::HeldFile> held;
    platform::FileKind kind = platform::FileKind::Regular;
    EXPECT_EQ(files.OpenHeld(c.path, held, kind), c.status);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(held != nullptr, c.status == platform::kOk);
    if (!held) continue;
    // What the shell is then given: the file held, by the path it resolved to.
    if (env.RealSystem()) EXPECT_EQ(platform::LowerCase(held->FinalPath()), platform::LowerCase(c.path));
    EXPECT_NE(files.WriteFile(c.path, "MZ swapped"), platform::kOk);
    EXPECT_NE(files.DeleteFile(c.path), platform::kOk);
    std::string bytes(64, '\0');
    std::size_t got = 0;
    ASSERT_EQ(held->Read(bytes.data(), bytes.size(), got), platform::kOk);
    EXPECT_EQ(bytes.substr(0, got), "MZ packaged");
    held.reset();
    EXPECT_EQ(files.WriteFile(c.path, "MZ swapped"), platform::kOk) << "closed, it is free again";
  }
}

}  // namespace
