#ifndef PROMPTBOXES_H
#define PROMPTBOXES_H

// The message boxes and the save-file question behind the store's prompt seam
// (data/prompt.h): the "提示" notice and the "警告" question with the program's
// label style, and Qt's file dialog.
namespace PromptBoxes {

// Gives the real boxes to the seam; later calls do nothing.
void install();

} // namespace PromptBoxes

#endif
