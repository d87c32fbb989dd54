#pragma once
// The editor's undo and redo histories: whole project records, newest at
// the back, each with what the kit's file kept for the kit's saves while
// the project held that kit (KitSession::kept). Main thread.

#include <deque>
#include <memory>

#include "document/project/kept_document.h"
#include "engine/model/project.h"

namespace orbi {

struct UndoSnapshot {
  ob::Project project;
  std::shared_ptr<const ob::KeptDocument> kitKept;
};

class UndoHistory : public std::deque<UndoSnapshot> {
 public:
  void push(const ob::Project& project, std::shared_ptr<const ob::KeptDocument> kitKept = nullptr) {
    push_back({project, std::move(kitKept)});
  }
};

}  // namespace orbi
