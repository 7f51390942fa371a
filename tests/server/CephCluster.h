#pragma once
// A real S3 store for the tests: one Ceph monitor, one OSD keeping its data in memory and a RADOS
// Gateway, started from the installed packages in a temporary directory once per test program
// (on first use) and stopped when the program ends. Each daemon dies with the test program.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "server/S3Client.h"

namespace arkvale::test {

class CephCluster {
 public:
  // The program's cluster, started on the first call; check running() before use.
  static CephCluster& Shared();
  ~CephCluster();
  CephCluster(const CephCluster&) = delete;
  CephCluster& operator=(const CephCluster&) = delete;

  bool running() const { return error_.empty(); }
  // Why the cluster could not start.
  const std::string& error() const { return error_; }
  std::string endpoint() const { return "http://127.0.0.1:" + std::to_string(gatewayPort_); }
  const std::string& accessKey() const { return accessKey_; }
  const std::string& secretKey() const { return secretKey_; }
  // A bucket of its own for one test.
  server::S3Location NewBucket();

  // The gateway alone goes away and comes back, as a store that fails under a server would.
  void StopGateway();
  bool StartGateway();

 private:
  CephCluster();
  void Start();
  // Runs a tool to its end; its output goes to the cluster's log directory.
  void Run(const std::vector<std::string>& argv);
  pid_t Daemon(const std::vector<std::string>& argv, const std::string& logName);
  bool GatewayAnswers(int timeoutMs);
  void Stop(pid_t& pid);

  std::string root_;
  std::string conf_;
  std::string error_;
  std::uint16_t monPort_ = 0;
  std::uint16_t gatewayPort_ = 0;
  std::string accessKey_ = "arkvaletestaccess";
  std::string secretKey_ = "arkvaletestsecretkey0123456789";
  pid_t mon_ = -1, osd_ = -1, gateway_ = -1;
  int buckets_ = 0;
};

}  // namespace arkvale::test
