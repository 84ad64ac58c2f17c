// What a page of the main window needs from the window around it.
#pragma once

#include <functional>

#include "ui/follow_up.hpp"

namespace calvane {

struct PageHandlers {
  /// Reads every widget into the model, runs the work, writes the widgets back.
  std::function<void(const std::function<void()>&)> act;
  /// The steps a core action left: the model's own, then the plot's.
  std::function<void(const FollowUp&)> follow;
  /// True while the window writes its widgets from the model: the signals
  /// that writing raises are not the user's.
  std::function<bool()> refreshing;
};

}  // namespace calvane
