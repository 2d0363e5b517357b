// ProgramEnding: how pressing Exit or the close box inside a running handler
// ends the program without running further handlers.
#pragma once

namespace window {

// How ending the program stops every handler.
//
// "Exit" (or the close box) may be pressed while a handler of ours is running,
// inside its call to ReNameFold::process_pending_events(). The toolkit's
// end_program() never throws into the toolkit's own event loop; it only records
// that the program is ending, and ReNameFold marks itself as ending. From then on:
//
//  - ReNameFold's event dispatch runs no further handler;
//  - when the nested event processing returns to our frame,
//    ReNameFold::process_pending_events() throws ProgramEnding, which unwinds
//    our own frames (so destructors close databases and files);
//  - the dispatch that the toolkit called directly catches it and returns to
//    the toolkit normally. A dispatch nested inside a synchronous write of our
//    own code lets it pass, so the handler around it stops too.
//
// ProgramEnding is deliberately not a std::exception: a handler's failure path
// catches std::exception and therefore never mistakes the end for a failure.
class ProgramEnding {};

}  // namespace window
