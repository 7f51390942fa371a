// The communications lock, the quota display and the credentials encryption.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "client/session/ChildTools.h"
#include "common/CredentialsKey.h"
#include "tests/client/session/SessionFixture.h"
#include "tests/support/FileAccessOverride.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale::test {
namespace {

namespace fs = std::filesystem;

using Lock = SessionFixture;

TEST_F(Lock, IsExclusiveUntilReleasedAndLeavesNoFile) {
  int first = session->AcquireCommsLock();
  ASSERT_GE(first, 0);
  EXPECT_TRUE(plat::FileExists(kCommsLockPath));
  // Busy is silent: no log entry, no box.
  EXPECT_EQ(session->AcquireCommsLock(), -1);
  session->ReleaseCommsLock(first);
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));
  int again = session->AcquireCommsLock();
  EXPECT_GE(again, 0);
  session->ReleaseCommsLock(again);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(Lock, StaleLocksFromACrashAreRemovedAtStartUp) {
  TempWorld::WriteHostFile(HostPath(kCommsLockPath), "");
  TempWorld::WriteHostFile(HostPath(kScheduleLockPath), "");
  EXPECT_EQ(session->AcquireCommsLock(), -1);
  RemoveStaleLocks();
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));
  EXPECT_FALSE(plat::FileExists(kScheduleLockPath));
  int lock = session->AcquireCommsLock();
  EXPECT_GE(lock, 0);
  session->ReleaseCommsLock(lock);
}

TEST_F(Lock, LockThatCannotBeCreatedIsReportedAsAnError) {
  WithoutFileAccessOverride obeyPermissions;
  fs::permissions(world.driveC(), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(session->AcquireCommsLock(), -1);
  fs::permissions(world.driveC(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "open error for lock file")});
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, "open error for lock file");
  EXPECT_EQ(prompt.boxes()[0].caption, "Arkvale");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Error);
}

TEST_F(Lock, ReleaseOfALockSomeoneRemovedReportsBothFailures) {
  int lock = session->AcquireCommsLock();
  ASSERT_GE(lock, 0);
  RemoveStaleLocks();
  session->ReleaseCommsLock(lock);
  session->ReleaseCommsLock(lock);  // closed already
  EXPECT_EQ(Log(), (std::vector<LogEntry>{Entry(2, "unlink error for lock file"),
                                          Entry(2, "close error for lock file"),
                                          Entry(2, "unlink error for lock file")}));
  EXPECT_EQ(prompt.texts().size(), 3u);
}

TEST(QuotaFormat, ShowsMegabytesRightAlignedAndTruncatedPercent) {
  auto q = FormatQuota("1000:4000");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->used, "    1.00 MB ");
  EXPECT_EQ(q->limit, "    4.00 MB ");
  EXPECT_EQ(q->percent, "25");

  q = FormatQuota("290:1000");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->percent, "29");
  q = FormatQuota("123456789:200000000");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->used, "123456.79 MB ");
  EXPECT_EQ(q->limit, "200000.00 MB ");
  EXPECT_EQ(q->percent, "61");
  // The limit ends at an 'A' as well as at the end.
  q = FormatQuota("1:2000A77");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->limit, "    2.00 MB ");
  EXPECT_EQ(q->percent, "0");
}

TEST(QuotaFormat, MalformedRepliesShowNothingAndZeroLimitShowsNoPercent) {
  EXPECT_FALSE(FormatQuota("10004000"));
  EXPECT_FALSE(FormatQuota("GOT_YOUR_PING"));
  EXPECT_FALSE(FormatQuota("123456789012:1"));
  EXPECT_FALSE(FormatQuota("1:123456789012"));
  EXPECT_TRUE(FormatQuota("12345678901:12345678901"));
  auto q = FormatQuota("500:0");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->used, "    0.50 MB ");
  EXPECT_EQ(q->limit, "    0.00 MB ");
  EXPECT_EQ(q->percent, "");
  q = FormatQuota("x:y");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->used, "    0.00 MB ");
  EXPECT_EQ(q->percent, "");
}

using Quota = SessionFixture;

TEST_F(Quota, RefreshShowsThePanesAndKeepsThemWhenNothingUsableComes) {
  ScriptedServer server;
  server.Expect("SEND_QUOTA_DATA").Send("1000:4000");
  server.Expect("SEND_QUOTA_DATA").Send("nonsense");
  server.Expect("SEND_QUOTA_DATA").Close();
  server.Start();
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, 0x7f000001, server.port()), 0);
  session->sessionSocket = s;
  session->RefreshQuota();
  session->RefreshQuota();
  session->RefreshQuota();
  ASSERT_EQ(view.quotas().size(), 1u);
  EXPECT_EQ(view.quotas()[0].used, "    1.00 MB ");
  EXPECT_EQ(view.quotas()[0].limit, "    4.00 MB ");
  EXPECT_EQ(view.quotas()[0].percent, "25");
  EXPECT_EQ(session->quotaTexts().percent, "25");
  plat::SocketClose(s);
  EXPECT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.failures().empty());
}

using Credentials = SessionFixture;

TEST_F(Credentials, EncryptedWithTheBuiltInKeyAndNoFileLeftBehind) {
  std::string out;
  int n = session->EncryptCredentials("ann,secret,", out);
  ASSERT_GT(n, 0);
  EXPECT_EQ(static_cast<std::size_t>(n), out.size());
  EXPECT_LE(out.size(), kEncryptedCredentialsCapacity);
  EXPECT_EQ(DecryptCredentials(out, world.root()), "ann,secret,");
  EXPECT_FALSE(plat::FileExists(kCredentialsFile));
  EXPECT_FALSE(plat::FileExists(kCredentialsCpt));
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(prompt.boxes().empty());
}

// An encryptor that records its command line and the mode of the file it is given, then does
// the real work with the same standard input.
void InstallRecordingEncryptor(const std::string& recordPath) {
  std::string tool = HostPath(std::string(kInstallDirectory) + kCcryptName);
  fs::remove(tool);
  std::ofstream script(tool);
  script << "#!/bin/sh\n"
         << "echo \"$0 $*\" > '" << recordPath << "'\n"
         << "for last; do :; done\n"
         << "stat -c %a \"$last\" >> '" << recordPath << "'\n"
         << "exec ccrypt \"$@\"\n";
  script.close();
  fs::permissions(tool, fs::perms::owner_all);
}

TEST_F(Credentials, KeyAndPasswordNeverReachTheCommandLineAndThePlainFileIsPrivate) {
  std::string record = world.root() + "/command_line";
  InstallRecordingEncryptor(record);
  std::string out;
  ASSERT_GT(session->EncryptCredentials("ann,Pa55word!,", out), 0);
  EXPECT_EQ(DecryptCredentials(out, world.root()), "ann,Pa55word!,");
  std::string seen = TempWorld::ReadHostFile(record);
  char key[kCredentialsKeyLength + 1];
  AssembleCredentialsKey(key);
  EXPECT_EQ(seen.find(key), std::string::npos) << seen;
  EXPECT_EQ(seen.find("Pa55word"), std::string::npos) << seen;
  EXPECT_NE(seen.find("user_password"), std::string::npos) << seen;
  EXPECT_NE(seen.find("\n600\n"), std::string::npos) << seen;
  EXPECT_FALSE(plat::FileExists(kCredentialsFile));
}

TEST_F(Credentials, TooLongForTheBufferIsRefusedWithoutTouchingFiles) {
  std::string user(150, 'u');
  std::string password(48, 'p');
  EXPECT_FALSE(CredentialsText(user, password));  // 150 + 48 + 2 commas = 200, no room for NUL
  EXPECT_TRUE(CredentialsText(user, std::string(47, 'p')));
  std::string out = "stale";
  EXPECT_EQ(session->EncryptCredentials(std::string(200, 'x'), out), -1);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(Credentials, MissingEncryptorIsReportedAndThePlainFileRemoved) {
  fs::remove(HostPath(std::string(kInstallDirectory) + kCcryptName));
  std::string out;
  EXPECT_EQ(session->EncryptCredentials("ann,secret,", out), -1);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "Error on spawn")});
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, "Error here on spawn");
  EXPECT_EQ(prompt.boxes()[0].caption, "arkvale");
  EXPECT_FALSE(plat::FileExists(kCredentialsFile));
}

TEST_F(Credentials, EncryptedFileThatIsTooBigIsAReadError) {
  std::string tool = HostPath(std::string(kInstallDirectory) + kCcryptName);
  fs::remove(tool);
  std::ofstream script(tool);
  script << "#!/bin/sh\nfor last; do :; done\n"
         << "head -c 400 /dev/zero > \"$last.tmp\" && mv \"$last.tmp\" \"$last.cpt\"\n";
  script.close();
  fs::permissions(tool, fs::perms::owner_all);
  std::string out;
  EXPECT_EQ(session->EncryptCredentials("ann,secret,", out), -1);
  EXPECT_EQ(Log(), (std::vector<LogEntry>{
                       Entry(2, "Problem reading file"),
                       Entry(2, "File: C:\\user_password.cpt  Error while reading the file")}));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Problem reading file"});
  EXPECT_FALSE(plat::FileExists(kCredentialsFile));
  EXPECT_FALSE(plat::FileExists(kCredentialsCpt));
}

}  // namespace
}  // namespace arkvale::test
