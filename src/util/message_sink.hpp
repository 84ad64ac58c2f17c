// Where readers and computations report what a person should know. The
// domain never talks to the desktop: it writes to a sink its caller gives,
// which the desktop shows in message boxes, the command line prints, and a
// caller without a person collects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

class MessageSink {
public:
  virtual ~MessageSink() = default;

  /// Something went wrong or was refused: a modal warning on the desktop.
  virtual void warning(std::string_view text) = 0;
  /// What was assumed while the work went on (a reader's guess); a warning
  /// where the receiver has nothing lighter.
  virtual void notice(std::string_view text) { warning(text); }
  /// The audible signal that goes with some refusals.
  virtual void beep() = 0;
};

/// Messages kept in their order, for callers that show them later or decide
/// what to do with them.
class CollectedMessages final : public MessageSink {
public:
  enum class Kind { Warning, Notice, Beep };
  struct Message {
    Kind kind;
    std::string text;
  };

  void warning(std::string_view text) override { messages_.push_back({Kind::Warning, std::string(text)}); }
  void notice(std::string_view text) override { messages_.push_back({Kind::Notice, std::string(text)}); }
  void beep() override { messages_.push_back({Kind::Beep, {}}); }

  const std::vector<Message>& messages() const { return messages_; }
  bool has_warning() const {
    for (const Message& message : messages_)
      if (message.kind == Kind::Warning) return true;
    return false;
  }
  /// Sends the messages on to `sink`, in their order.
  void forward_to(MessageSink& sink) const {
    for (const Message& message : messages_) {
      if (message.kind == Kind::Warning) sink.warning(message.text);
      else if (message.kind == Kind::Notice) sink.notice(message.text);
      else sink.beep();
    }
  }

private:
  std::vector<Message> messages_;
};

}  // namespace calvane
