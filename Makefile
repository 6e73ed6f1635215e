# The two commands. Each first installs what is missing on a fresh Debian machine.
.PHONY: test demo deps build clean

test: deps
	tools/run-tests.sh

demo: deps
	tools/demo.sh

deps:
	tools/ensure-deps.sh

build: deps
	cmake --preset native && cmake --build --preset native -j
	cmake --preset windows-x86 && cmake --build --preset windows-x86 -j
	cmake --preset windows-x64 && cmake --build --preset windows-x64 -j

clean:
	rm -rf build
