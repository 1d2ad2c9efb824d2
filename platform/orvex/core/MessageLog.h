// What the message manager received and what reached the user, for tests and the demo.
#pragma once

#include <vector>

#include "orvex/core/OrvexApi.h"
#include "orvex/core/VelmorMessage.h"

namespace orvex {
namespace test {

struct PostedMessage {
  VelmorMessage message;
  bool held;  // a hold was open when it was posted
};

class ORVEX_API MessageLog {
public:
  // Every post, in order, held or not.
  const std::vector<PostedMessage>& Posted() const { return m_posted; }
  // What reached the user, in order of delivery.
  const std::vector<VelmorMessage>& Delivered() const { return m_delivered; }
  std::vector<int> PostedIDs() const;
  std::vector<int> DeliveredIDs() const;
  void Clear();

  void AddPosted(const VelmorMessage& m, bool held) { m_posted.push_back({m, held}); }
  void AddDelivered(const VelmorMessage& m) { m_delivered.push_back(m); }

private:
  std::vector<PostedMessage> m_posted;
  std::vector<VelmorMessage> m_delivered;
};

ORVEX_API MessageLog& Messages();

}  // namespace test
}  // namespace orvex
