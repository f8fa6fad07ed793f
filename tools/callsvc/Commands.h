// The subcommands of callsvc. Each returns the process exit code.
#pragma once

namespace callsvc {

int RunSettings(int argc, char** argv, int first);
int RunDemo(int argc, char** argv, int first);
int RunDial(int argc, char** argv, int first);
int RunContacts(int argc, char** argv, int first);
int RunScreen(int argc, char** argv, int first);
int RunRing(int argc, char** argv, int first);
int RunVideo(int argc, char** argv, int first);
int RunImage(int argc, char** argv, int first);

}  // namespace callsvc
