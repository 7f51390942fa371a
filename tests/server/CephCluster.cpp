#include "tests/server/CephCluster.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "server/ObjectStore.h"

namespace arkvale::test {

namespace fs = std::filesystem;

namespace {

bool PortFree(std::uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return free;
}

// A run of free ports: monitor, gateway, then the daemons' messenger range.
constexpr int kPortsNeeded = 24;

std::uint16_t FreePortRange() {
  for (int attempt = 0; attempt < 200; ++attempt) {
    auto base = static_cast<std::uint16_t>(21000 + ((::getpid() + attempt * 7) % 1500) * 24);
    bool all = true;
    for (int i = 0; i < kPortsNeeded && all; ++i)
      all = PortFree(static_cast<std::uint16_t>(base + i));
    if (all) return base;
  }
  throw std::runtime_error("no free range of ports");
}

std::string Uuid() {
  std::ifstream in("/proc/sys/kernel/random/uuid");
  std::string uuid;
  std::getline(in, uuid);
  return uuid;
}

// The child dies with the test program, so a crashed test leaves no daemon behind.
[[noreturn]] void Exec(const std::vector<std::string>& argv, const std::string& logFile) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  ::dup2(log, STDOUT_FILENO);
  ::dup2(log, STDERR_FILENO);
  int null = ::open("/dev/null", O_RDONLY);
  ::dup2(null, STDIN_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

}  // namespace

CephCluster& CephCluster::Shared() {
  static CephCluster cluster;
  return cluster;
}

CephCluster::CephCluster() {
  try {
    Start();
  } catch (const std::exception& e) {
    error_ = std::string("the Ceph test cluster did not start: ") + e.what() + " (logs in " +
             root_ + "/log)";
    Stop(gateway_);
    Stop(osd_);
    Stop(mon_);
  }
}

CephCluster::~CephCluster() {
  Stop(gateway_);
  Stop(osd_);
  Stop(mon_);
  // A failed start keeps its logs for whoever reads the error.
  std::error_code ignored;
  if (running()) fs::remove_all(root_, ignored);
}

void CephCluster::Run(const std::vector<std::string>& argv) {
  std::vector<std::string> bounded = {"timeout", "120"};
  bounded.insert(bounded.end(), argv.begin(), argv.end());
  pid_t pid = ::fork();
  if (pid == 0) Exec(bounded, root_ + "/log/tools.log");
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(argv[0] + " " + argv[1] + " failed");
}

pid_t CephCluster::Daemon(const std::vector<std::string>& argv, const std::string& logName) {
  pid_t pid = ::fork();
  if (pid == 0) Exec(argv, root_ + "/log/" + logName + ".out");
  return pid;
}

void CephCluster::Stop(pid_t& pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  pid = -1;
}

void CephCluster::Start() {
  std::string pattern = (fs::temp_directory_path() / "arkvale-ceph-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  for (const char* sub : {"mon", "osd", "run", "log", "rgw", "crash"})
    fs::create_directory(root_ + "/" + sub);
  std::uint16_t base = FreePortRange();
  monPort_ = base;
  gatewayPort_ = static_cast<std::uint16_t>(base + 1);
  std::string fsid = Uuid();
  conf_ = root_ + "/ceph.conf";
  std::string keyring = root_ + "/keyring";
  {
    std::ofstream conf(conf_);
    conf << "[global]\n"
         << "fsid = " << fsid << "\n"
         << "mon host = v2:127.0.0.1:" << monPort_ << "\n"
         << "public addr = 127.0.0.1\n"
         << "auth cluster required = cephx\nauth service required = cephx\n"
         << "auth client required = cephx\n"
         << "keyring = " << keyring << "\n"
         << "run dir = " << root_ << "/run\n"
         << "admin socket = " << root_ << "/run/$name.asok\n"
         << "pid file = " << root_ << "/run/$name.pid\n"
         << "log file = " << root_ << "/log/$name.log\n"
         << "crash dir = " << root_ << "/crash\n"
         << "ms bind port min = " << base + 2 << "\n"
         << "ms bind port max = " << base + kPortsNeeded - 1 << "\n"
         << "ms bind ipv6 = false\n"
         // One copy of everything: there is one OSD.
         << "osd pool default size = 1\nosd pool default min size = 1\n"
         << "osd pool default pg num = 8\nosd pool default pgp num = 8\n"
         << "mon allow pool size one = true\nosd crush chooseleaf type = 0\n"
         // A nearly full temporary disk must not stop the monitor.
         << "mon data avail crit = 0\nmon data avail warn = 0\n"
         // Without it the gateway takes seconds to start and to make its first bucket.
         << "paxos propose interval = 0.01\n"
         << "mon data = " << root_ << "/mon\n"
         << "osd data = " << root_ << "/osd\n"
         << "osd objectstore = memstore\n"
         << "memstore device bytes = " << (2LL << 30) << "\n"
         << "rgw data = " << root_ << "/rgw\n"
         << "rgw frontends = beast endpoint=127.0.0.1:" << gatewayPort_ << "\n";
  }
  Run({"ceph-authtool", "--create-keyring", keyring, "--gen-key", "-n", "mon.", "--cap", "mon",
       "allow *"});
  Run({"ceph-authtool", keyring, "--gen-key", "-n", "client.admin", "--cap", "mon", "allow *",
       "--cap", "osd", "allow *", "--cap", "mgr", "allow *"});
  Run({"ceph-authtool", keyring, "--gen-key", "-n", "osd.0", "--cap", "mon", "allow profile osd",
       "--cap", "osd", "allow *"});
  Run({"ceph-authtool", keyring, "--gen-key", "-n", "client.rgw", "--cap", "mon", "allow rw",
       "--cap", "osd", "allow rwx"});
  Run({"monmaptool", "--create", "--addv", "a", "[v2:127.0.0.1:" + std::to_string(monPort_) + "]",
       "--fsid", fsid, root_ + "/monmap"});
  Run({"ceph-mon", "-c", conf_, "--mkfs", "-i", "a", "--monmap", root_ + "/monmap", "--keyring",
       keyring});
  mon_ = Daemon({"ceph-mon", "-f", "-c", conf_, "-i", "a"}, "mon");
  std::string osdUuid = Uuid();
  Run({"ceph", "-c", conf_, "--connect-timeout", "60", "osd", "new", osdUuid, "0"});
  Run({"ceph-osd", "-c", conf_, "-i", "0", "--mkfs", "--osd-uuid", osdUuid});
  osd_ = Daemon({"ceph-osd", "-f", "-c", conf_, "-i", "0"}, "osd");
  if (!StartGateway()) throw std::runtime_error("the gateway does not answer");
  Run({"radosgw-admin", "-c", conf_, "user", "create", "--uid", "arkvale", "--display-name",
       "arkvale", "--access-key", accessKey_, "--secret-key", secretKey_});
}

bool CephCluster::GatewayAnswers(int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(gatewayPort_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (connected) return true;
    if (::waitpid(gateway_, nullptr, WNOHANG) == gateway_) {
      gateway_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void CephCluster::StopGateway() { Stop(gateway_); }

bool CephCluster::StartGateway() {
  gateway_ = Daemon({"radosgw", "-f", "-c", conf_, "-n", "client.rgw"}, "rgw");
  return GatewayAnswers(60000);
}

server::S3Location CephCluster::NewBucket() {
  server::S3Location location;
  location.endpoint = endpoint();
  location.accessKey = accessKey_;
  location.secretKey = secretKey_;
  location.bucket = "arkvale-" + std::to_string(::getpid()) + "-" + std::to_string(++buckets_);
  server::S3Response response = server::S3Client(location).SendWithRetry("PUT", "");
  if (response.status != 200)
    throw server::StoreError("bucket not made: " + server::DescribeS3Failure(response));
  return location;
}

}  // namespace arkvale::test
