#pragma once
// Where a run's steps run. The window keeps its event loop turning: the
// blocking calls go to a thread and the row loops work in short slices; the
// command runs everything in turn on its own thread.
#include <exception>
#include <functional>

class EsecutoreCorsa {
  public:
    virtual ~EsecutoreCorsa() = default;
    // `lavoro` (a blocking call), then `poi` on the run's thread with what
    // `lavoro` threw, if anything.
    virtual void Fuori(std::function<void()> lavoro,
                       std::function<void(std::exception_ptr)> poi) = 0;
    // `poi` on the run's thread once what is pending there has run.
    virtual void Dopo(std::function<void()> poi) = 0;
    // A loop's slice starts; once over, the loop hands back with Dopo.
    virtual void InizioFetta() = 0;
    virtual bool FettaFinita() const = 0;
    // The run is over: nothing pending runs.
    virtual void Annulla() = 0;
    // The run is over and the program goes idle: what the run freed may go
    // back to the system (the window does it off its thread). A program that
    // ends or runs again at once keeps it, and is spared paying for the
    // pages twice.
    virtual void Riposo() {}
};
