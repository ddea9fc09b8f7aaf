#pragma once
// What a screen reader is told about the controls, where Qt's own account
// falls short: on this platform Qt names an editable combo box after its
// text, so a reader hears "30" and not what the 30 is. Combo boxes given a
// name of their own (QWidget::setAccessibleName) are announced by it, with
// their text as the value.

// Installs the account; idempotent. Call once the application exists and
// before any combo box is first asked about.
void InstallaAccessibilita();
