#include "plugin/host_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/caller_record.h"

namespace ob::clap {

namespace {

const clap_host_log_t* hostLog(const clap_host_t* host) {
  if (host == nullptr || host->get_extension == nullptr) return nullptr;
  const auto* log = static_cast<const clap_host_log_t*>(host->get_extension(host, CLAP_EXT_LOG));
  return log != nullptr && log->log != nullptr ? log : nullptr;
}

template <std::size_t N>
void copyCut(char (&dest)[N], const std::string& text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace

void logToConsole(const char* message) {
  std::fprintf(stderr, "orbitrane: %s\n", message != nullptr ? message : "");
}

void logToHost(const clap_host_t* host, clap_log_severity severity, const char* message) {
  if (const clap_host_log_t* log = hostLog(host))
    log->log(host, severity, message != nullptr ? message : "");
  else
    logToConsole(message);
}

void logDiagnosticsToHost(const clap_host_t* host, const Diagnostics& list) {
  const clap_host_log_t* log = hostLog(host);
  if (log == nullptr) return;
  std::string line;
  for (const Diagnostic& d : list) {
    const clap_log_severity level = d.severity == Severity::Note      ? CLAP_LOG_INFO
                                    : d.severity == Severity::Warning ? CLAP_LOG_WARNING
                                                                      : CLAP_LOG_ERROR;
    line.clear();
    line.append(d.code).append(" ").append(d.path).append(": ").append(d.message);
    log->log(host, level, line.c_str());
  }
}

bool toDiagnosticInfo(const Diagnostic& d, DiagnosticInfo* record) {
  if (record == nullptr) return false;
  DiagnosticInfo full{};
  const auto s = static_cast<std::uint32_t>(d.severity);
  full.severity = s <= 1 ? s : 2;
  full.index = static_cast<std::int32_t>(d.index);
  copyCut(full.code, d.code);
  copyCut(full.detail, d.detail);
  copyCut(full.path, d.path);
  copyCut(full.message, d.message);
  return writeCallerRecord(record, full);
}

}  // namespace ob::clap
