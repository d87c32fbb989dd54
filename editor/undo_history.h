#pragma once
// The editor's undo and redo histories: whole project records, newest at
// the back. Main thread.

#include <deque>

#include "engine/model/project.h"

namespace orbi {

class UndoHistory : public std::deque<ob::Project> {
 public:
  void push(const ob::Project& project) { push_back(project); }
};

}  // namespace orbi
