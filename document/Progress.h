#pragma once
// Progress of long operations, standing in for the main window's progress bar: each operation
// sets a maximum and moves the position, and puts the position back to 0 when it ends.

namespace velkar {

class Progress {
  public:
    virtual ~Progress() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
};

// A progress sink that shows nothing (the command-line tool, the tests).
class NoProgress final : public Progress {
  public:
    void setMaximum(int) override {}
    void setPosition(int) override {}
};

} // namespace velkar
