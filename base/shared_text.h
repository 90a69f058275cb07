// A text setting that the settings dialog changes on the user-interface
// thread while the acquisition thread reads it (the GPS port name).
#pragma once

#include <mutex>
#include <string>
#include <utility>

class SharedText {
 public:
  explicit SharedText(std::string text = {}) : m_text(std::move(text)) {}

  SharedText& operator=(std::string text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = std::move(text);
    return *this;
  }

  std::string Get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
  }
  operator std::string() const { return Get(); }

 private:
  mutable std::mutex m_mutex;
  std::string m_text;
};
