// The busy cursor for as long as a step that may take a while runs: one object at the top
// of the step. Nested ones show it once; a message box or file chooser asked meanwhile
// shows the ordinary cursor.
#pragma once

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
