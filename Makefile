# Quick start: `make run` builds and starts Tessiv; `make test` builds with sanitizers and runs every test.
JOBS      ?= $(shell nproc)
RELEASE   := build/release
SANITIZE  := build/asan
EXAMPLE   ?= examples/lista.KVR

FUZZ      := build/fuzz
FUZZ_TARGETS := bmp component_stream csv emf ico ini jpeg kvr page_coder text_form vkr wmf
# A campaign runs every target until FUZZ_RUNS executions or FUZZ_TIME seconds, FUZZ_PARALLEL at a time.
FUZZ_RUNS ?= 1000000
FUZZ_TIME ?= 3600
FUZZ_PARALLEL ?= 2
# Scratch files (report files, settings, tables written per input) go to memory when it can; the
# printer list is not asked of CUPS, whose round trip would outweigh the readers themselves.
FUZZ_TMP := $(shell [ -d /dev/shm ] && echo /dev/shm || echo /tmp)

.PHONY: run test bench deps build-release build-test clean build-fuzz fuzz fuzz-smoke

deps:
	@scripts/install-deps

build-release: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSIV_BUILD_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)

build-test: deps
	cmake -S . -B $(SANITIZE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSIV_SANITIZE=ON -DTESSIV_BUILD_BENCH=OFF
	cmake --build $(SANITIZE) -j $(JOBS)

run: build-release
	$(RELEASE)/app/tessiv $(EXAMPLE)

# No test may hold the run: one that passes 600 s fails.
test: build-test
	cd $(SANITIZE) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure --timeout 600 -j $(JOBS)

bench: build-release
	@for b in $(RELEASE)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer needs clang: a build of its own with the fuzzer, address and undefined-behaviour
# sanitizers; the seeds are written by our own writers (fuzz_seeds).
build-fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESSIV_BUILD_BENCH=OFF -DTESSIV_FUZZ=ON \
	  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
	  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
	cmake --build $(FUZZ) -j $(JOBS) --target fuzz_seeds $(addprefix fuzz_,$(FUZZ_TARGETS))
	cd $(FUZZ) && rm -rf seeds && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 tests/fuzz/fuzz_seeds seeds >/dev/null

# New inputs grow build/fuzz/corpus/<target>; a crash, a run over 2 s or 500 MB lands in
# build/fuzz/artifacts/<target>; each target's log is build/fuzz/logs/<target>.log.
fuzz: build-fuzz
	@cd $(FUZZ) && mkdir -p logs && printf '%s\n' $(FUZZ_TARGETS) | xargs -P $(FUZZ_PARALLEL) -I{} sh -c '\
	  mkdir -p corpus/{} artifacts/{}; \
	  QT_QPA_PLATFORM=offscreen TMPDIR=$(FUZZ_TMP) CUPS_SERVER=localhost:1 \
	  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:quarantine_size_mb=32 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  tests/fuzz/fuzz_{} -runs=$(FUZZ_RUNS) -max_total_time=$(FUZZ_TIME) -rss_limit_mb=500 -timeout=2 \
	    -print_final_stats=1 -artifact_prefix=artifacts/{}/ corpus/{} seeds/{} >logs/{}.log 2>&1; \
	  echo "{}: exit $$?, $$(grep -o "stat::number_of_executed_units: *[0-9]*" logs/{}.log | grep -o "[0-9]*$$") runs,\
	 peak $$(grep -o "stat::peak_rss_mb: *[0-9]*" logs/{}.log | grep -o "[0-9]*$$") MB, $$(ls artifacts/{} | wc -l) artifacts"'
	@! find $(FUZZ)/artifacts -type f | grep -q . || { echo "fuzz: inputs that failed are in $(FUZZ)/artifacts"; exit 1; }

# A few seconds per target: every reader still starts from its seeds and survives a short run.
fuzz-smoke:
	$(MAKE) fuzz FUZZ_TIME=5 FUZZ_PARALLEL=$(JOBS)

clean:
	rm -rf build
