# The two commands. Each first installs what is missing on a fresh Debian machine.
# make demo ARCH=x86 runs the demo with the x86 plug-in (default: x64).
# make package assembles the driver package in build/package and checks it.
# make fuzz-smoke runs each fuzz target briefly (make test runs it too).
.PHONY: test demo package deps build clean fuzz-smoke

ARCH ?= x64
JOBS := $(shell nproc)

test: deps
	tools/run-tests.sh

demo: deps
	tools/demo.sh $(ARCH)

package: deps
	JOBS=$(JOBS) tools/package.sh

fuzz-smoke: deps
	tools/fuzz-smoke.sh

deps:
	tools/ensure-deps.sh

build: deps
	cmake --preset native && cmake --build --preset native -j $(JOBS)
	cmake --preset windows-x86 && cmake --build --preset windows-x86 -j $(JOBS)
	cmake --preset windows-x64 && cmake --build --preset windows-x64 -j $(JOBS)

clean:
	rm -rf build
