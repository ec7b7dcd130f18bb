// The workspace's reports shown in the program's windows: progress in the progress strip,
// failures in the general error report, pending window events run at every yield.
#pragma once

namespace dosarium {

class TContor;
class Workspace;

// `contor` may be null: progress is then not shown.
void connectToWindows(Workspace &workspace, TContor *contor);

} // namespace dosarium
