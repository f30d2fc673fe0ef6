#pragma once

// Whether the application shows hints (tooltips). Switched off, no widget of
// the application shows its tooltip, whatever it set; the switch applies at
// once to every window.
void SetHintsShown(bool shown);
bool HintsShown();
