#pragma once
// Messages to the host's "clap.log", and to standard error where the host
// has no log or nothing else can be reported.
#include "document/diagnostics.h"
#include "plugin/clap/abi.h"
#include "plugin/clap/own_extensions.h"

namespace ob::clap {

// Console fallback: "orbitrane: " and the message on standard error.
void logToConsole(const char* message);

// One line to the host's "clap.log" at the given level, or to the console
// when the host has no log.
void logToHost(const clap_host_t* host, clap_log_severity severity, const char* message);

// Every diagnostic in order, as "code path: message", at info, warning or
// error level; nothing without a host log.
void logDiagnosticsToHost(const clap_host_t* host, const Diagnostics& list);

// Fills the caller's record, cut to the size it declares (at most 972
// bytes). False for a null record or a declared size below 4.
bool toDiagnosticInfo(const Diagnostic& diagnostic, DiagnosticInfo* record);

}  // namespace ob::clap
