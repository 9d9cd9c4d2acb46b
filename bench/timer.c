/* Wall time of whole processes, taken in turn.
 *
 *   bench_timer RUNS -- [NAME=VALUE...] PROGRAM [ARGS...] [-- ...]...
 *
 * Runs every command RUNS times, one after another in rounds (A B A B ...),
 * so that a slow phase of the machine hits every command alike. Words of the
 * form NAME=VALUE in front of a program are set in its environment only.
 * Standard input and output are /dev/null; standard error is kept. Prints
 * one line per command: the median, the 10th and the 90th percentile of the
 * wall time in microseconds, how many runs did not end with exit code 0,
 * and the median processor time (user + system) in microseconds. On a busy
 * machine the processor time is the steadier figure: it leaves out the time
 * a process waits for a processor.
 *
 * A measuring tool for Linux: it starts the processes with posix_spawn and
 * times them with the monotonic clock, so its own cost per run is a few
 * microseconds; wait4 gives each process's own processor time. */
#define _DEFAULT_SOURCE

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

typedef struct Command {
  char** argv;   /* the program and its arguments, null-terminated */
  char** envp;   /* the environment with the command's NAME=VALUE words */
  double* times; /* wall time in microseconds, one per run */
  double* cpu;   /* processor time in microseconds, one per run */
  int failures;
} Command;

static int IsAssignment(const char* word) {
  const char* eq = strchr(word, '=');
  return eq != NULL && eq != word && word[0] != '-';
}

/* The inherited environment, with each assignment replacing a variable of
 * the same name or added at the end. */
static char** BuildEnvironment(char** assignments, int count) {
  int inherited = 0;
  while (environ[inherited] != NULL) ++inherited;
  char** envp = calloc((size_t)(inherited + count + 1), sizeof *envp);
  if (envp == NULL) return NULL;
  int n = 0;
  for (int i = 0; i < inherited; ++i) {
    int replaced = 0;
    for (int k = 0; k < count; ++k) {
      size_t name = (size_t)(strchr(assignments[k], '=') - assignments[k]) + 1;
      if (strncmp(environ[i], assignments[k], name) == 0) replaced = 1;
    }
    if (!replaced) envp[n++] = environ[i];
  }
  for (int k = 0; k < count; ++k) envp[n++] = assignments[k];
  envp[n] = NULL;
  return envp;
}

static double NowMicroseconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

static double Microseconds(struct timeval t) { return (double)t.tv_sec * 1e6 + (double)t.tv_usec; }

/* One run; returns its wall time in microseconds and sets *cpu to its
 * processor time, or returns -1 when the process could not be started or
 * did not end with exit code 0. */
static double RunOnce(const Command* command, posix_spawn_file_actions_t* actions, double* cpu) {
  pid_t pid;
  double start = NowMicroseconds();
  if (posix_spawn(&pid, command->argv[0], actions, NULL, command->argv, command->envp) != 0) {
    return -1;
  }
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  double elapsed = NowMicroseconds() - start;
  *cpu = Microseconds(usage.ru_utime) + Microseconds(usage.ru_stime);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

static int CompareDoubles(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

/* The value at fraction q of the sorted times (nearest rank). */
static double Percentile(const double* sorted, int count, double q) {
  int index = (int)(q * (count - 1) + 0.5);
  return sorted[index];
}

int main(int argc, char** argv) {
  if (argc < 4 || strcmp(argv[2], "--") != 0) {
    fprintf(stderr, "usage: %s RUNS -- [NAME=VALUE...] PROGRAM [ARGS...] [-- ...]...\n", argv[0]);
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs < 1) {
    fprintf(stderr, "%s: RUNS must be at least 1\n", argv[0]);
    return 2;
  }

  /* Split the rest at "--" into commands; the words are used in place. */
  Command commands[64];
  int commandCount = 0;
  for (int i = 3; i < argc;) {
    if (commandCount == 64) {
      fprintf(stderr, "%s: at most 64 commands\n", argv[0]);
      return 2;
    }
    int end = i;
    while (end < argc && strcmp(argv[end], "--") != 0) ++end;
    int assignments = 0;
    while (i + assignments < end && IsAssignment(argv[i + assignments])) ++assignments;
    if (i + assignments == end) {
      fprintf(stderr, "%s: a command without a program\n", argv[0]);
      return 2;
    }
    Command* c = &commands[commandCount++];
    c->envp = BuildEnvironment(argv + i, assignments);
    c->argv = argv + i + assignments;
    argv[end < argc ? end : argc] = NULL; /* ends this command's argv */
    c->times = calloc((size_t)runs, sizeof *c->times);
    c->cpu = calloc((size_t)runs, sizeof *c->cpu);
    c->failures = 0;
    if (c->envp == NULL || c->times == NULL || c->cpu == NULL) {
      fprintf(stderr, "%s: out of memory\n", argv[0]);
      return 2;
    }
    i = end + 1;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

  for (int r = 0; r < runs; ++r) {
    for (int k = 0; k < commandCount; ++k) {
      double cpu = 0;
      double t = RunOnce(&commands[k], &actions, &cpu);
      if (t < 0) ++commands[k].failures;
      commands[k].times[r] = t < 0 ? 0 : t;
      commands[k].cpu[r] = t < 0 ? 0 : cpu;
    }
  }

  for (int k = 0; k < commandCount; ++k) {
    Command* c = &commands[k];
    qsort(c->times, (size_t)runs, sizeof *c->times, CompareDoubles);
    qsort(c->cpu, (size_t)runs, sizeof *c->cpu, CompareDoubles);
    printf("%.0f %.0f %.0f %d %.0f\n", Percentile(c->times, runs, 0.5),
           Percentile(c->times, runs, 0.1), Percentile(c->times, runs, 0.9), c->failures,
           Percentile(c->cpu, runs, 0.5));
  }
  posix_spawn_file_actions_destroy(&actions);
  return 0;
}
