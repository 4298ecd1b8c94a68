// The network side of the HTTP service over GNU libmicrohttpd, driven by the
// polling thread alone: requests are routed as they complete, query requests
// are suspended until their job's answer is ready, then resumed and
// answered.
#pragma once

struct MHD_Daemon;

namespace qav {

// Starts listening on every interface at the port (a decimal text); null
// when that fails. The daemon has no threads of its own: it is run by
// PollHttpDaemon.
MHD_Daemon* StartHttpDaemon(const char* port);

// Waits up to timeoutMs for network activity or a finished job, and
// handles the network activity.
void PollHttpDaemon(MHD_Daemon* daemon, unsigned timeoutMs);

// Sends the answers the workers have finished on the requests that asked
// for them; an answer whose request has gone is dropped.
void SendFinishedAnswers(MHD_Daemon* daemon);

// Closes the waiting requests whose clients have gone, and drops or
// cancels their jobs.
void DropRequestsOfGoneClients(MHD_Daemon* daemon);

// Closes every request still waiting for an answer and stops the daemon.
void StopHttpDaemon(MHD_Daemon* daemon);

}  // namespace qav
