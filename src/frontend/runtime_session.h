// The text runtime for a front end's life: started as the window starts it, and with the heap's
// refusal turned into std::bad_alloc, so that running out of memory unwinds a run (releasing its
// text values) and becomes an outcome the front end shows, not an abort.
#pragma once

class RuntimeSession {
  public:
    RuntimeSession();
    ~RuntimeSession();
    RuntimeSession(const RuntimeSession&) = delete;
    RuntimeSession& operator=(const RuntimeSession&) = delete;
};
