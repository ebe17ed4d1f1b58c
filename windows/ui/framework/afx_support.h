// Start-up calls kept for the application's shape; on the systems the tool runs on, OLE control
// hosting is not used and 3-D controls are the default look, so both do nothing.
#pragma once

inline void AfxEnableControlContainer() {}

inline void Enable3dControls() {}
