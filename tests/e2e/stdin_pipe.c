/* Runs a Windows command line with its standard input on an anonymous Windows pipe that holds
 * DATA and whose writing end is already closed: stdin_pipe.exe DATA COMMAND-LINE
 * Standard output and error are passed through; the exit code is the command's.
 *
 * Under Wine a Unix pipe given to `wine` reads like a file at its end (a zero-byte read), so only a
 * pipe made on the Windows side reaches a program the way a piping parent on Windows does: once
 * DATA is read, ReadFile fails with ERROR_BROKEN_PIPE. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fputs("usage: stdin_pipe.exe DATA COMMAND-LINE\n", stderr);
    return 2;
  }
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) {
    fprintf(stderr, "stdin_pipe: CreatePipe failed (%lu)\n", GetLastError());
    return 2;
  }
  /* The child must not hold the writing end, or its reads would wait forever instead of ending. */
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
  DWORD written = 0;
  const DWORD length = (DWORD)strlen(argv[1]);
  if (length > 0 && (!WriteFile(write_end, argv[1], length, &written, NULL) || written != length)) {
    fprintf(stderr, "stdin_pipe: writing to the pipe failed (%lu)\n", GetLastError());
    return 2;
  }
  CloseHandle(write_end);

  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = read_end;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process;
  if (!CreateProcessA(NULL, argv[2], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "stdin_pipe: cannot start %s (%lu)\n", argv[2], GetLastError());
    return 2;
  }
  CloseHandle(read_end);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 2;
  GetExitCodeProcess(process.hProcess, &code);
  return (int)code;
}
