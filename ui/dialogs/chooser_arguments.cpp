#include "ui/dialogs/chooser_arguments.h"

#include <string_view>

#include "ui/ascii.h"

namespace orbi::ui {
namespace {

// The pattern as a glob that matches its ending in any case, as the
// in-editor chooser and a drop compare endings: "wav" is "*.[wW][aA][vV]".
std::string caseBlindGlob(std::string_view pattern) {
  std::string glob = "*.";
  for (const char c : pattern) {
    const char lower = asciiLower(c);
    if (lower >= 'a' && lower <= 'z') {
      const char upper = static_cast<char>(lower - 'a' + 'A');
      glob.append({'[', lower, upper, ']'});
    } else {
      glob += c;
    }
  }
  return glob;
}

// "*.wav *.aif", or "*.*" for a filter without patterns. An open lists
// files whatever the case of their ending ("*.[wW][aA][vV]"); a save keeps
// plain globs, from which a chooser may take the ending it adds.
std::string globs(const FileDialogRequest& request, const FileFilter& filter) {
  if (filter.patterns.empty()) return "*.*";
  std::string out;
  for (const std::string& pattern : filter.patterns) {
    if (!out.empty()) out += ' ';
    out += request.kind == FileDialogKind::Open ? caseBlindGlob(pattern) : "*." + pattern;
  }
  return out;
}

std::string asFolder(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

// Where the chooser opens: the folder, and for a save the proposed name in it.
std::string startPath(const FileDialogRequest& request) {
  if (request.kind == FileDialogKind::Save && !request.fileName.empty())
    return asFolder(request.folder) + request.fileName;
  return asFolder(request.folder);
}

bool showsTypes(const FileDialogRequest& request) {
  return request.kind != FileDialogKind::Folder && !request.filters.empty();
}

}  // namespace

std::vector<std::string> zenityArguments(const FileDialogRequest& request) {
  std::vector<std::string> args{"zenity", "--file-selection"};
  if (!request.title.empty()) args.push_back("--title=" + request.title);
  switch (request.kind) {
    case FileDialogKind::Save: args.insert(args.end(), {"--save", "--confirm-overwrite"}); break;
    case FileDialogKind::Folder: args.push_back("--directory"); break;
    case FileDialogKind::Open:
      if (request.multiple) args.insert(args.end(), {"--multiple", "--separator=\n"});
      break;
  }
  const std::string start = startPath(request);
  if (!start.empty()) args.push_back("--filename=" + start);
  if (showsTypes(request))
    for (const FileFilter& filter : request.filters)
      args.push_back("--file-filter=" + (filter.label.empty()
                                             ? globs(request, filter)
                                             : filter.label + " | " + globs(request, filter)));
  return args;
}

std::vector<std::string> kdialogArguments(const FileDialogRequest& request) {
  std::vector<std::string> args{"kdialog"};
  if (!request.title.empty()) args.insert(args.end(), {"--title", request.title});
  switch (request.kind) {
    case FileDialogKind::Save: args.emplace_back("--getsavefilename"); break;
    case FileDialogKind::Folder: args.emplace_back("--getexistingdirectory"); break;
    case FileDialogKind::Open:
      if (request.multiple) args.insert(args.end(), {"--multiple", "--separate-output"});
      args.emplace_back("--getopenfilename");
      break;
  }
  args.push_back(startPath(request));
  if (showsTypes(request)) {
    // KDE's filter list: "patterns|label" entries, one a line.
    std::string list;
    for (const FileFilter& filter : request.filters) {
      if (!list.empty()) list += '\n';
      list += globs(request, filter);
      if (!filter.label.empty()) list += '|' + filter.label;
    }
    args.push_back(list);
  }
  return args;
}

}  // namespace orbi::ui
