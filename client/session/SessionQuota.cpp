#include <cstdio>
#include <cstdlib>

#include "client/session/Framing.h"
#include "client/session/Session.h"

namespace arkvale {

namespace {

// Each figure has a field of 12 bytes in the status texts.
constexpr std::size_t kQuotaFigureLength = 11;

long long LeadingInteger(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

std::string Megabytes(long long kilobytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%8.2f MB ", static_cast<double>(kilobytes) * 0.001);
  return text;
}

}  // namespace

std::optional<QuotaTexts> FormatQuota(const std::string& reply) {
  std::size_t colon = reply.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string usedText = reply.substr(0, colon);
  // The limit text ends at the first 'A' or at the end of the reply.
  std::string limitText = reply.substr(colon + 1);
  limitText = limitText.substr(0, limitText.find('A'));
  if (usedText.size() > kQuotaFigureLength || limitText.size() > kQuotaFigureLength) {
    return std::nullopt;
  }
  long long used = LeadingInteger(usedText);
  long long limit = LeadingInteger(limitText);
  QuotaTexts texts{Megabytes(used), Megabytes(limit), {}};
  // A limit of 0 gives no percentage; the pane stays empty rather than showing a made-up figure.
  // Whole kilobytes keep the truncation exact (290 of 1000 is 29, not 28.999...).
  if (limit != 0) texts.percent = std::to_string(used * 100 / limit);
  return texts;
}

void CSession::RefreshQuota() {
  int socket = sessionSocket;
  SendWord(socket, "SEND_QUOTA_DATA");
  std::string reply = ReceiveReply(socket, kReplyCapacity);
  if (reply.empty()) return;
  std::optional<QuotaTexts> texts = FormatQuota(reply);
  if (!texts) return;
  {
    std::lock_guard lock(quotaMutex_);
    quota_ = *texts;
  }
  view_.ShowQuota(texts->used, texts->limit, texts->percent);
}

QuotaTexts CSession::quotaTexts() const {
  std::lock_guard lock(quotaMutex_);
  return quota_;
}

}  // namespace arkvale
