#pragma once

class CButton;

// The options menu's key buttons: a click makes one wait for a key, the next key event names it. Escape
// is the way out, never a control's key: it ends the wait and the button keeps the key it showed.

// `button` waits for a key; a button that waited before stops waiting, its key unchanged.
void begin_key_capture(CButton* button);
// A key event, a press or a release alike, names the waiting button and then acts as usual; Escape
// ends the wait instead and acts no further: true for that.
bool capture_key(int key);
// No button waits any longer; each keeps its key. Leaving the options screen ends a wait.
void end_key_capture();
// The button that waits, or null.
const CButton* waiting_key_button();
