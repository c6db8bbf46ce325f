#pragma once
#include <memory>
#include <string>

#include "glimra/core/ViewerState.h"
#include "glimra/ui/ViewServices.h"

namespace glimra {

class CMainFrame;

// The viewer application: reads the command line and the folder's index,
// then makes the frame with its view. Holds the viewer state for the run.
class CGlimraApp {
public:
    explicit CGlimraApp(ViewServices services = DefaultServices());
    ~CGlimraApp();

    // Start-up from the command line text "/" file "/" folder. False when it
    // gives no file name: the program then ends at once without a window.
    bool InitInstance(const std::string& commandLine);

    // The two halves of InitInstance: reading the command line and the index
    // and starting to decode the picture (needs no Qt application yet, so the
    // program can begin decoding before Qt starts up), then making the frame.
    bool ReadCommandLine(const std::string& commandLine);
    void CreateFrame();

    // Fills pictureNames from "Index.TMP" in the picture folder.
    void ReadIndex();

    ViewerState& state() { return state_; }
    ViewServices& services() { return services_; }
    CMainFrame* frame() const { return frame_.get(); }

    // The real hand-offs: programs started beside this program or from PATH,
    // message boxes, and the picture sender.
    static ViewServices DefaultServices();

private:
    ViewerState state_;
    ViewServices services_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace glimra
