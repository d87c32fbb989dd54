#pragma once
// The editor's undo and redo histories: whole project records, newest at
// the back, each with what its load kept as it held it then, and what the
// kit's file kept for the kit's saves while the project held that kit.
// Main thread.

#include <deque>
#include <memory>

#include "document/project/kept_document.h"
#include "engine/model/project.h"

namespace orbi {

struct UndoSnapshot {
  ob::Project project;
  ob::SharedKeptRecords kept;
  std::shared_ptr<const ob::KitFileKept> kitFile;
};

class UndoHistory : public std::deque<UndoSnapshot> {
 public:
  void push(const ob::Project& project, ob::SharedKeptRecords kept = nullptr,
            std::shared_ptr<const ob::KitFileKept> kitFile = nullptr) {
    push_back({project, std::move(kept), std::move(kitFile)});
  }
};

}  // namespace orbi
