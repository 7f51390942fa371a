#pragma once
// Whole client exchanges for tests that need one as a step.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/server/RawClient.h"

namespace arkvale::test {

inline std::unique_ptr<RawClient> LoggedInClient(std::uint16_t port,
                                                 const std::string& user = "ann",
                                                 const std::string& password = "secret") {
  auto client = std::make_unique<RawClient>(port);
  EXPECT_EQ(client->Login(user, password), "OK");
  return client;
}

inline std::string FileInfo(const std::string& path, long size, long modified) {
  return path + "?" + std::to_string(size) + "?" + std::to_string(modified);
}

// A backup of one file; returns the server's last reply (the verdict when the data was sent).
inline std::string BackupOne(RawClient& client, const std::string& path, long size, long modified,
                             const std::string& data) {
  EXPECT_EQ(client.Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client.Ask("1"), "SEND_ME_FILE_INFO");
  std::string reply = client.Ask(FileInfo(path, size, modified));
  if (reply != "SEND_FILE") return reply;
  EXPECT_EQ(client.Ask(std::to_string(data.size())), "BEGIN_TO_SEND_THE_FILE");
  client.Send(data);
  return client.Receive();
}

// The listing as the client's retrieval gets it.
inline std::string Listing(RawClient& client) {
  std::string length = client.Ask("SEND_BACKED_UP_FILES");
  if (length == "0") return {};
  client.Send("OK");
  return client.ReceiveBytes(std::stoul(length));
}

// Restores one path; the bytes the server sent.
inline std::string RestoreOne(RawClient& client, const std::string& path) {
  EXPECT_EQ(client.Ask("RESTORE"), "OK");
  EXPECT_EQ(client.Ask("1"), "OK");
  std::string size = client.Ask(path);
  client.Send("SEND_FILE");
  std::string data = client.ReceiveBytes(std::stoul(size));
  client.Send("OK");
  return data;
}

}  // namespace arkvale::test
