# Quick start: `make run` builds and starts Tessiv; `make test` builds with sanitizers and runs every test.
JOBS      ?= $(shell nproc)
RELEASE   := build/release
SANITIZE  := build/asan
EXAMPLE   ?=

.PHONY: run test bench deps build-release build-test clean

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

test: build-test
	cd $(SANITIZE) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: build-release
	@for b in $(RELEASE)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build
