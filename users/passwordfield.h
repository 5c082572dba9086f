#pragma once
// Password entry fields: masked with "*", at most 10 characters, and only letters A-Z, a-z and digits
// (other typed characters are dropped; pasted text is held to the same rule).
class QLineEdit;

void makePasswordField(QLineEdit *field);
