# The two commands of the README: `make demo` and `make test`. Both install what is missing,
# build the native and the Windows presets, and lay out the distribution folder.
.PHONY: all deps build demo test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh

demo: build
	@scripts/demo.sh

test: build
	@scripts/run-tests.sh

clean:
	rm -rf build
