// dravik-install's reading and editing of ~/.xscreensaver: an edit changes only the saver's
// entry and leaves every other byte as it was.
#include "DaemonProgramsList.h"
#include "FuzzCheck.h"

using namespace DaemonProgramsList;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file = bytesOf(data, size).toByteArray();
    const Registration before = registration(file);
    const Edit edit = withSaverEnabled(file);
    if (!edit.changed) {
        require(edit.text == file, "a file left alone keeps every byte");
        require(!edit.refusal.isEmpty() || before == Registration::Enabled,
                "a file is left alone only when the saver is enabled or the edit is refused");
        return 0;
    }
    require(edit.refusal.isEmpty(), "an edit made is not refused");
    require(before != Registration::Enabled && before != Registration::NoList,
            "only a list without the saver enabled is edited");
    require(registration(edit.text) == Registration::Enabled, "after the edit the saver is enabled");
    const Edit again = withSaverEnabled(edit.text);
    require(!again.changed && again.refusal.isEmpty(), "an edited file needs no second edit");

    // One line: an entry enabled where it stands (its "-" goes), or one line added.
    const ChangedBytes change = changedBytes(file, edit.text);
    require(!change.removed.contains('\n'), "the edit changes no more than one line");
    if (change.removed.isEmpty())
        require(change.inserted.count('\n') == 1, "an added entry is one whole line");
    else
        require(!change.inserted.contains('\n'), "an entry enabled where it stands stays on its line");
    return 0;
}
