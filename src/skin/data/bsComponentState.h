#pragma once

// Whether a component is being designed or is being read from a window
// layout. This program has neither a form designer nor layout streams, so
// both are false unless code (a test) marks a component.

class QObject;

bool IsDesigning(const QObject* component);
bool IsLoading(const QObject* component);
// Setters and skin loads stay silent while either holds.
bool IsDesigningOrLoading(const QObject* component);

void SetDesigning(QObject* component, bool designing);
void SetLoading(QObject* component, bool loading);
