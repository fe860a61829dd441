#include "log/pass_notes.h"

namespace sloshmere {

PassNotes passNotes;

} // namespace sloshmere
