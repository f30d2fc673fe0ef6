#pragma once

#include <functional>

class QDialog;

// Runs the program's own forms modally. Tests cannot click through a modal
// window, so they queue handlers that play the user's part instead: each form
// shown takes the next handler, which may fill in and read the form's
// controls and returns the modal result the user would have ended it with.
//
//     ModalForms::push([](QDialog &d) {
//         auto &f = dynamic_cast<TFormInputNewName &>(d);
//         f.EditKakeiboName->setText(u"家計簿1"_s);
//         return int(mrOk);
//     });
//
// With no handler queued on the offscreen platform (tests, CI) nobody could
// answer, so the form is refused with EUnexpectedDialog naming its caption,
// rather than waiting for ever.
class ModalForms
{
public:
    using Handler = std::function<int(QDialog &form)>;

    // Shows the form modally (or hands it to the next queued handler) and gives
    // its modal result.
    static int exec(QDialog &form);

    static void push(const Handler &handler);
    static int pending();
    static void clear();
};
