// Closes whatever the disk layers hold open (scans keep their volume and device handles for
// the life of the process), so that tests can check that nothing else leaked.
#pragma once

namespace tarvosk::test {

void closeAllLayerHandles();

}  // namespace tarvosk::test
